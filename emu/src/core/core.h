// What every room of the emulation shares: handles, violations, fault injection, strings, the last
// error, and the reset of the whole platform.
#ifndef EMU_CORE_H
#define EMU_CORE_H

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "emu.h"

namespace emu {

// ---- handles ----
// Every object handed out is a handle in one table. A handle value is never reused within a
// reset, so a stale handle is always recognised.
void *newHandle(EmuKind kind, void *object);
// The object behind a handle of the given kind, or null. A null, stale or foreign handle records
// a violation naming the api (unless quiet) and returns null.
void *lookup(const void *handle, EmuKind kind, const char *api, bool quiet = false);
// Whether the handle is live and of the kind (no violation).
bool isLive(const void *handle, EmuKind kind);
// Drops the handle; later lookups of it fail as stale.
void freeHandle(const void *handle);
// Called by emuReset: forget every handle.
void resetHandles();
// Sequence number of a live handle (for emuMark); 0 if unknown.
long long handleSerial(const void *handle);
long long currentSerial();
// Live handles of a kind.
std::vector<const void *> liveHandles(EmuKind kind);

// ---- violations ----
void violation(const char *api, const std::string &what);

// ---- fault injection ----
// Counts a call of the named function; true when an armed failure falls on this call.
bool failNow(const char *api);

// ---- strings ----
std::string utf8(const WCHAR *s);
std::u16string utf16(const char *utf8);
size_t wideLength(const WCHAR *s);
// Case-insensitive comparison of UTF-16 strings (ASCII letters folded), as class names compare.
bool wideEqualNoCase(const WCHAR *a, const WCHAR *b);

// ---- the last error ----
// SetLastError without counting a call, for the emulation's own failures.
void setLastError(DWORD error);

// ---- reset ----
// A room that keeps objects forgets them all when the platform is reset: it says how once, as its
// library is loaded, by defining a RoomReset. emuReset calls the rooms in the order they were
// loaded (a room after the rooms it uses), then the core's own areas.
struct RoomReset {
    explicit RoomReset(void (*reset)());
};

// The core's own areas (emuReset calls them in this order, after the rooms).
void resetFiles();     // files.cpp: the device's own files and folders, folder mappings
void resetRegistry();  // registry.cpp
void resetProcesses(); // process.cpp
void resetCore();      // core.cpp: handles, violations, armed failures, call counts, the last error

} // namespace emu

#endif // EMU_CORE_H
