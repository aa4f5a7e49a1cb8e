// Where desktop Windows differs from Windows CE, in one place.
#ifndef KWENO_PLATFORM_H
#define KWENO_PLATFORM_H

#include <windows.h>

#if defined(_WIN32) && !defined(_WIN32_WCE)
// Desktop Windows refuses every query on a key opened with no access rights.
const REGSAM REGISTRY_ACCESS = KEY_READ;
#else
// Windows CE ignores the access mask and expects 0.
const REGSAM REGISTRY_ACCESS = 0;
#endif

// Starts a program with an argument string, not waiting for it; FALSE if it did not start.
BOOL startProgram(LPCWSTR program, LPWSTR arguments);

#endif // KWENO_PLATFORM_H
