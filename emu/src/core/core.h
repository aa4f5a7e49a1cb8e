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
// Live handles of a kind.
std::vector<const void *> liveHandles(EmuKind kind);

// ---- the last error ----
// SetLastError without counting a call, for the emulation's own failures.
void setLastError(DWORD error);
// Sets the last error and gives the call's failed result, so that `return failed(...)` ends the call.
template <typename Result> Result failed(DWORD error, Result result)
{
    setLastError(error);
    return result;
}

// ---- violations ----
void violation(const char *api, const std::string &what);
// A misuse that fails the call: recorded under the api, the last error set when one is given, and
// the call's failed result given back, so that `return misuse(...)` ends the call.
template <typename Result> Result misuse(const char *api, const std::string &what, Result result)
{
    violation(api, what);
    return result;
}
template <typename Result> Result misuse(const char *api, const std::string &what, DWORD error, Result result)
{
    violation(api, what);
    return failed(error, result);
}

// ---- fault injection ----
// Counts a call of the named function; true when an armed failure falls on this call.
bool failNow(const char *api);

// ---- strings ----
std::string utf8(const WCHAR *s);
std::u16string utf16(const char *utf8);
// ASCII letters lower-cased, as the device's file system and installer compare names.
std::string lowered(const std::string &s);
// Case-insensitive comparison of UTF-16 strings (ASCII letters folded), as class names compare.
bool wideEqualNoCase(const WCHAR *a, const WCHAR *b);

// ---- the registry, as the installer reads it before it writes (registry.cpp) ----
// Paths as emuRegSetString takes them ("HKCR\\CLSID\\x"; the current user without a root name).
bool registryKeyExists(const std::string &key);
// A value's type and bytes; false when the key or the value is not there.
bool registryValue(const std::string &key, const std::string &name, DWORD *type, std::vector<uint8_t> *data);

// ---- reset ----
// An area that keeps objects forgets them all when the platform is reset: it says how once, as its
// library is loaded, by defining a RoomReset. emuReset calls the areas in the order they were
// loaded (a room after the rooms it uses), then forgets the handles. A soft reset of the device
// (emuSoftReset) calls each area's restart instead, in the opposite order (a room before the rooms
// it uses); an area whose objects do not outlive a restart gives none, and is reset; one that keeps
// everything across it gives keepEverything.
void keepEverything();
struct RoomReset {
    explicit RoomReset(void (*reset)(), void (*restart)() = nullptr);
};

} // namespace emu

#endif // EMU_CORE_H
