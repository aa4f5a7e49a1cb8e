// What Windows CE's user-interface headers define and desktop Windows does not: the settings-change
// notice of a turned display, the silent key event, and the key-state bits of the character events
// the input-panel host injects.
#ifndef KWENO_SDK_CEUSER_H
#define KWENO_SDK_CEUSER_H

// WM_SETTINGCHANGE's wParam when the display's size or orientation has changed.
#define SETTINGCHANGE_RESET 0x3002

#ifndef KEYEVENTF_KEYUP
#define KEYEVENTF_KEYUP 0x0002
#endif
#define KEYEVENTF_SILENT 0x0004

enum {
    KeyStatePrevDownFlag = 0x00000040,
    KeyStateDownFlag = 0x00000080,
    KeyShiftNoCharacterFlag = 0x00010000,
    KeyShiftAnyShiftFlag = 0x20000000,
    KeyShiftAnyCtrlFlag = 0x40000000
};

#endif // KWENO_SDK_CEUSER_H
