// Reading the keyboard repeat settings and the default input method from the registry.
#include "settings.h"

#include "../model/panelstate.h"
#include "../input/input.h"
#include "../platform/platform.h"
#include "inputmethod.h"

const WCHAR SIP_SETTINGS_KEY[] = L"ControlPanel\\Sip";

// Reads a 4-byte value into target; a missing value or one longer than 4 bytes leaves it alone.
static void readNumber(HKEY key, LPCWSTR name, LONG *target)
{
    LONG value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, 0, 0, (LPBYTE)&value, &size) == ERROR_SUCCESS)
        *target = value;
}

void readRepeatSettings()
{
    panel.repeatSettings.initialDelay = DEFAULT_INITIAL_DELAY;
    panel.repeatSettings.repeatRate = DEFAULT_REPEAT_RATE;
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"ControlPanel\\Keybd", 0, REGISTRY_ACCESS, &key) == ERROR_SUCCESS) {
        readNumber(key, L"InitialDelay", &panel.repeatSettings.initialDelay);
        readNumber(key, L"RepeatRate", &panel.repeatSettings.repeatRate);
        RegCloseKey(key);
    }
    // The rate divides a second into the repeat interval.
    if (panel.repeatSettings.repeatRate == 0)
        panel.repeatSettings.repeatRate = DEFAULT_REPEAT_RATE;
}

static WCHAR upperAscii(WCHAR c)
{
    return (c >= 'a' && c <= 'z') ? (WCHAR)(c - 'a' + 'A') : c;
}

// Class identifier texts compare without regard to letter case, as the platform compares them;
// the registry text need not end inside the buffer.
static bool namesThisPanel(const WCHAR *text, DWORD units)
{
    const WCHAR *own = panelClassIdText();
    DWORD i = 0;
    for (; own[i]; ++i)
        if (i >= units || upperAscii(text[i]) != upperAscii(own[i]))
            return false;
    return i < units && text[i] == 0;
}

void applyFirstSelectRule()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SIP_SETTINGS_KEY, 0, REGISTRY_ACCESS, &key) != ERROR_SUCCESS)
        return;
    const DWORD bytes = 520;
    WCHAR text[bytes / sizeof(WCHAR)];
    for (DWORD i = 0; i < bytes / sizeof(WCHAR); ++i)
        text[i] = 0;
    DWORD size = bytes;
    if (RegQueryValueExW(key, L"DefaultIm", 0, 0, (LPBYTE)text, &size) == ERROR_SUCCESS &&
        namesThisPanel(text, bytes / sizeof(WCHAR)))
        panel.imInfo.fdwFlags = SIPF_DOCKED;
    RegCloseKey(key);
}
