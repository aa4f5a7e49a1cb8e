/* The shell library's image-resource loader, for non-Windows builds. */
#ifndef EMU_AYGSHELL_H
#define EMU_AYGSHELL_H

#include <windows.h>

/* Loads the image resource uIdImageFile of hinst as a bitmap; null on failure. */
EMU_EXTERN_C WINAPI_EXPORT HBITMAP WINAPI SHLoadImageResource(HINSTANCE hinst, UINT uIdImageFile);

#endif /* EMU_AYGSHELL_H */
