// The handheld's screen for a panel on the desktop: the module's import of GetSystemMetrics is
// pointed at an answer that measures the screen window, so the DLL itself stays as it was built.
#include "devicescreen.h"

#include <cstring>

static HWND deviceScreen = nullptr;

static int WINAPI deviceGetSystemMetrics(int index)
{
    RECT client;
    if ((index == SM_CXSCREEN || index == SM_CYSCREEN) && deviceScreen && GetClientRect(deviceScreen, &client))
        return index == SM_CXSCREEN ? client.right - client.left : client.bottom - client.top;
    return GetSystemMetrics(index);
}

// The import slot of module that holds function, as the loader filled it in; null if none does.
static ULONG_PTR *importSlot(HMODULE module, const char *dll, FARPROC function)
{
    BYTE *base = reinterpret_cast<BYTE *>(module);
    const IMAGE_DOS_HEADER *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    const IMAGE_NT_HEADERS *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress)
        return nullptr;
    const IMAGE_IMPORT_DESCRIPTOR *d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress);
    for (; d->Name; ++d) {
        if (lstrcmpiA(reinterpret_cast<const char *>(base + d->Name), dll) != 0)
            continue;
        // The slots hold the addresses the loader resolved: compare those, not names.
        for (IMAGE_THUNK_DATA *slot = reinterpret_cast<IMAGE_THUNK_DATA *>(base + d->FirstThunk); slot->u1.Function;
             ++slot) {
            if (slot->u1.Function == reinterpret_cast<ULONG_PTR>(function))
                return &slot->u1.Function;
        }
    }
    return nullptr;
}

bool giveDeviceScreen(HMODULE module, HWND screen)
{
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC real = user32 ? GetProcAddress(user32, "GetSystemMetrics") : nullptr;
    ULONG_PTR *slot = real ? importSlot(module, "user32.dll", real) : nullptr;
    if (!slot)
        return false;
    DWORD protection;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection))
        return false;
    deviceScreen = screen;
    *slot = reinterpret_cast<ULONG_PTR>(&deviceGetSystemMetrics);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
    return true;
}
