// The shell library's image-resource loader. The emulation exports it; on desktop Windows, which has
// no such library, the panel brings its own (src/platform/shellimage_win32.cpp).
#ifndef KWENO_SDK_AYGSHELL_H
#define KWENO_SDK_AYGSHELL_H

#include <windows.h>

// Only the emulation's windows.h marks what a library exports.
#ifndef WINAPI_EXPORT
#define WINAPI_EXPORT
#endif

// Loads the image resource uIdImageFile of hinst (the SDK names it uIdGif) as a bitmap; null on
// failure.
extern "C" WINAPI_EXPORT HBITMAP WINAPI SHLoadImageResource(HINSTANCE hinst, UINT uIdImageFile);

#endif // KWENO_SDK_AYGSHELL_H
