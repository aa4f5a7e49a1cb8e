// The class identifier of the fake input method, which the host's tests and the smoke test load.
#ifndef KWENO_TESTS_FAKECLSID_H
#define KWENO_TESTS_FAKECLSID_H

#include <windows.h>

// {6A1C3E5B-0F2D-4B7A-9C8E-1D2F3A4B5C6D}
const GUID fakeClsid = {0x6A1C3E5B, 0x0F2D, 0x4B7A, {0x9C, 0x8E, 0x1D, 0x2F, 0x3A, 0x4B, 0x5C, 0x6D}};
const char fakeClsidText[] = "{6A1C3E5B-0F2D-4B7A-9C8E-1D2F3A4B5C6D}";

#endif // KWENO_TESTS_FAKECLSID_H
