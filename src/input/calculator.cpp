// The calculator key: starts the program named in the registry, or the platform's calculator.
#include "input.h"

#include "../platform/platform.h"

static const DWORD VALUE_BYTES = 1040;
static const DWORD VALUE_UNITS = VALUE_BYTES / sizeof(WCHAR);
// Two zero units past what the read may fill, so that a value that fills the buffer, or whose
// strings have no end, still ends inside it, and the empty argument string after a REG_SZ name
// always has a unit of its own.
static const DWORD SPARE_UNITS = 2;

static const WCHAR DEFAULT_CALCULATOR[] = L"MobileCalculator.exe";

// Units before the first zero.
static DWORD unitsBeforeZero(const WCHAR *text)
{
    DWORD n = 0;
    while (text[n])
        ++n;
    return n;
}

void launchCalculator()
{
    WCHAR buffer[VALUE_UNITS + SPARE_UNITS];
    for (DWORD i = 0; i < VALUE_UNITS + SPARE_UNITS; ++i)
        buffer[i] = 0;
    WCHAR *arguments = 0;

    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SIP_SETTINGS_KEY, 0, REGISTRY_ACCESS, &key) == ERROR_SUCCESS) {
        DWORD type = REG_NONE;
        DWORD size = VALUE_BYTES;
        if (RegQueryValueExW(key, L"KWENO_Calc_Launch", 0, &type, (LPBYTE)buffer, &size) == ERROR_SUCCESS) {
            DWORD n = unitsBeforeZero(buffer);
            if (type == REG_SZ) {
                buffer[n + 1] = 0;
                arguments = buffer + n + 1;
            } else if (type == REG_MULTI_SZ) {
                arguments = buffer + n + 1;
            }
        }
        RegCloseKey(key);
    }

    if (!arguments) {
        DWORD n = 0;
        for (; DEFAULT_CALCULATOR[n]; ++n)
            buffer[n] = DEFAULT_CALCULATOR[n];
        buffer[n] = 0;
        buffer[n + 1] = 0;
        arguments = buffer + n + 1;
    }

    // A program that does not start is not retried or reported.
    startProgram(buffer, arguments);
}
