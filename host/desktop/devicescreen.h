// The handheld's screen for a panel on the desktop: the panel asks the system for the screen's size
// to choose its orientation, and is answered with the size of the window that stands for it.
#ifndef KWENO_HOST_DESKTOP_DEVICESCREEN_H
#define KWENO_HOST_DESKTOP_DEVICESCREEN_H

#include <windows.h>

// From now on the module's calls of GetSystemMetrics answer SM_CXSCREEN and SM_CYSCREEN with the
// client size of screen, and everything else as the system does. False if the module does not
// import GetSystemMetrics from user32.dll.
bool giveDeviceScreen(HMODULE module, HWND screen);

#endif // KWENO_HOST_DESKTOP_DEVICESCREEN_H
