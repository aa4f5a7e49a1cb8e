// Desktop Windows has no shell image loader; this one loads the bitmap resources the skin holds.
#if defined(_WIN32) && !defined(_WIN32_WCE)

#include "../inputmethod/sipdefs.h"

extern "C" HBITMAP WINAPI SHLoadImageResource(HINSTANCE hinst, UINT uIdImageFile)
{
    // A DIB section keeps the resource's colours whatever the display depth.
    return (HBITMAP)LoadImageW(hinst, MAKEINTRESOURCEW(uIdImageFile), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
}

#endif
