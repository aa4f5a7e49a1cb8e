// Process creation: CreateProcessW is recorded (program, arguments, flags), never executed.
#include "core/core.h"

#include <set>

namespace emu {
namespace {

struct StartedProcess {
    std::string program;
    std::string arguments;
    DWORD flags;
};

std::vector<StartedProcess> started;

// Process and thread handles handed out when the caller asks for them; they are not objects of
// the handle table (nothing else accepts them) and only CloseHandle takes them back.
std::set<uintptr_t> processHandles;
uintptr_t nextProcessHandle = 0x50000000;

HANDLE newProcessHandle()
{
    uintptr_t h = nextProcessHandle;
    nextProcessHandle += 4;
    processHandles.insert(h);
    return reinterpret_cast<HANDLE>(h);
}

} // namespace

static void resetProcesses()
{
    started.clear();
    processHandles.clear();
}
const RoomReset processesReset(resetProcesses);

} // namespace emu

using namespace emu;

extern "C" {

BOOL WINAPI CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, LPSECURITY_ATTRIBUTES lpProcessAttributes,
                           LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles, DWORD dwCreationFlags,
                           LPVOID lpEnvironment, LPCWSTR lpCurrentDirectory, LPSTARTUPINFOW lpStartupInfo,
                           LPPROCESS_INFORMATION lpProcessInformation)
{
    if (failNow(__func__)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    // The device supports none of these and requires them null or FALSE.
    if (lpProcessAttributes || lpThreadAttributes || bInheritHandles || lpEnvironment || lpCurrentDirectory ||
        lpStartupInfo) {
        violation(__func__, "security attributes, inherited handles, environment, current directory and "
                            "start-up information must be null or FALSE on the device");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The device takes the program from the application name only.
    if (!lpApplicationName) {
        violation(__func__, "the application name must not be null on the device");
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    started.push_back(StartedProcess{utf8(lpApplicationName), utf8(lpCommandLine), dwCreationFlags});
    // Null process information is fine on the device: then no handles come back to be closed.
    if (lpProcessInformation) {
        lpProcessInformation->hProcess = newProcessHandle();
        lpProcessInformation->hThread = newProcessHandle();
        lpProcessInformation->dwProcessId = 0x100 + (DWORD)started.size();
        lpProcessInformation->dwThreadId = 0x200 + (DWORD)started.size();
    }
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE hObject)
{
    if (failNow(__func__))
        return FALSE;
    if (!processHandles.erase(reinterpret_cast<uintptr_t>(hObject))) {
        violation(__func__, "not an open process or thread handle");
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

int emuProcessCount(void)
{
    return (int)started.size();
}

const char *emuProcessProgram(int n)
{
    return n >= 0 && n < (int)started.size() ? started[n].program.c_str() : "";
}

const char *emuProcessArguments(int n)
{
    return n >= 0 && n < (int)started.size() ? started[n].arguments.c_str() : "";
}

DWORD emuProcessFlags(int n)
{
    return n >= 0 && n < (int)started.size() ? started[n].flags : 0;
}

void emuClearProcesses(void)
{
    started.clear();
}

} // extern "C"
