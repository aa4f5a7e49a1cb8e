/* The image-list subset of the common controls that the panel uses, for non-Windows builds. */
#ifndef EMU_COMMCTRL_H
#define EMU_COMMCTRL_H

#include <windows.h>

EMU_DECLARE_HANDLE(HIMAGELIST);

#define ILC_MASK 0x0001
#define ILC_COLOR 0x0000
#define ILC_COLOR4 0x0004
#define ILC_COLOR8 0x0008
#define ILC_COLOR16 0x0010
#define ILC_COLOR24 0x0018
#define ILC_COLOR32 0x0020
#define ILC_COLORDDB 0x00FE

EMU_EXTERN_C WINAPI_EXPORT HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
EMU_EXTERN_C WINAPI_EXPORT BOOL WINAPI ImageList_Destroy(HIMAGELIST himl);
EMU_EXTERN_C WINAPI_EXPORT int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);
EMU_EXTERN_C WINAPI_EXPORT int WINAPI ImageList_GetImageCount(HIMAGELIST himl);

#endif /* EMU_COMMCTRL_H */
