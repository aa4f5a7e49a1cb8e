// Process start-up as each platform wants it.
#include "platform.h"

BOOL startProgram(LPCWSTR program, LPWSTR arguments)
{
#if defined(_WIN32) && !defined(_WIN32_WCE)
    // Desktop Windows needs both records and hands back two handles that must be closed.
    STARTUPINFOW startup;
    PROCESS_INFORMATION process;
    ZeroMemory(&startup, sizeof startup);
    ZeroMemory(&process, sizeof process);
    startup.cb = sizeof startup;
    BOOL started = CreateProcessW(program, arguments, 0, 0, FALSE, CREATE_NEW_CONSOLE, 0, 0, &startup, &process);
    if (started) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return started;
#else
    // Windows CE takes neither record and returns no handles.
    return CreateProcessW(program, arguments, 0, 0, FALSE, CREATE_NEW_CONSOLE, 0, 0, 0, 0);
#endif
}
