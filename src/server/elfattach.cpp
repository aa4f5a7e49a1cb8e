// Where no Windows loader calls DllMain (an ELF shared library on the emulation), the library
// tells the panel its own module handle as it is loaded.
#if !defined(_WIN32)

#include <dlfcn.h>

#include "server.h"

// Any address inside this library identifies it.
static void identifyModule() __attribute__((constructor));
static void identifyModule()
{
    Dl_info info;
    HINSTANCE module = 0;
    if (dladdr((void *)&identifyModule, &info))
        module = (HINSTANCE)info.dli_fbase;
    DllMain(module, DLL_PROCESS_ATTACH, 0);
}

#endif
