// Handles, violations, fault injection, string helpers, the last error and the reset, shared by the whole emulation.
#include "core/core.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "text.h"

namespace emu {
namespace {

struct HandleEntry {
    EmuKind kind;
    void *object;
    long long serial;
    bool live;
};

// Handle values start well above the small integers that code may confuse with handles, and
// above the predefined registry roots' low words.
const uintptr_t firstHandle = 0x10000;

std::unordered_map<uintptr_t, HandleEntry> handles;
uintptr_t nextHandle = firstHandle;
long long nextSerial = 1;

std::vector<std::string> violations;

struct Armed {
    std::string api;
    int remaining; // calls to go before the failing one
};
std::vector<Armed> armed;
std::map<std::string, int> callCounts;
DWORD lastError = 0;

// The rooms' resets and restarts, in the order their libraries were loaded; made on first use, so
// that it exists whichever library registers first.
std::vector<std::pair<void (*)(), void (*)()>> &roomResets()
{
    static std::vector<std::pair<void (*)(), void (*)()>> resets;
    return resets;
}

// Each kind's name, in the order of EmuKind.
const char *const kindNames[EMU_KIND_COUNT] = {"window",     "class",  "DC",          "bitmap",
                                               "image list", "module", "registry key"};

const char *kindName(EmuKind kind)
{
    return kind >= 0 && kind < EMU_KIND_COUNT ? kindNames[kind] : "object";
}

std::string hex(const void *p)
{
    char buf[32];
    snprintf(buf, sizeof buf, "%p", p);
    return buf;
}

} // namespace

void *newHandle(EmuKind kind, void *object)
{
    uintptr_t h = nextHandle;
    nextHandle += 4;
    handles[h] = HandleEntry{kind, object, nextSerial++, true};
    return reinterpret_cast<void *>(h);
}

void *lookup(const void *handle, EmuKind kind, const char *api, bool quiet)
{
    auto it = handles.find(reinterpret_cast<uintptr_t>(handle));
    std::string problem;
    if (!handle)
        problem = std::string("null ") + kindName(kind) + " handle";
    else if (it == handles.end())
        problem = std::string("unknown ") + kindName(kind) + " handle " + hex(handle);
    else if (!it->second.live)
        problem = std::string("stale ") + kindName(kind) + " handle " + hex(handle) + " (already freed)";
    else if (it->second.kind != kind)
        problem =
            std::string("handle ") + hex(handle) + " is a " + kindName(it->second.kind) + ", not a " + kindName(kind);
    else
        return it->second.object;
    if (!quiet)
        violation(api, problem);
    return nullptr;
}

bool isLive(const void *handle, EmuKind kind)
{
    auto it = handles.find(reinterpret_cast<uintptr_t>(handle));
    return it != handles.end() && it->second.live && it->second.kind == kind;
}

void freeHandle(const void *handle)
{
    auto it = handles.find(reinterpret_cast<uintptr_t>(handle));
    if (it != handles.end()) {
        it->second.live = false;
        it->second.object = nullptr;
    }
}

static void resetHandles()
{
    handles.clear();
    // Values keep rising across resets too, so a handle from before a reset is never valid.
    nextSerial = 1;
}

static long long handleSerial(const void *handle)
{
    auto it = handles.find(reinterpret_cast<uintptr_t>(handle));
    return it != handles.end() && it->second.live ? it->second.serial : 0;
}

static long long currentSerial()
{
    return nextSerial;
}

std::vector<const void *> liveHandles(EmuKind kind)
{
    std::vector<std::pair<long long, const void *>> found;
    for (auto &e : handles)
        if (e.second.live && e.second.kind == kind)
            found.push_back({e.second.serial, reinterpret_cast<const void *>(e.first)});
    std::sort(found.begin(), found.end());
    std::vector<const void *> out;
    for (auto &f : found)
        out.push_back(f.second);
    return out;
}

void violation(const char *api, const std::string &what)
{
    violations.push_back(std::string(api) + ": " + what);
}

bool failNow(const char *api)
{
    ++callCounts[api];
    bool fail = false;
    for (auto it = armed.begin(); it != armed.end();) {
        if (it->api == api && --it->remaining == 0) {
            fail = true;
            it = armed.erase(it);
        } else {
            ++it;
        }
    }
    return fail;
}

static size_t wideLength(const WCHAR *s)
{
    size_t n = 0;
    if (s)
        while (s[n])
            ++n;
    return n;
}

std::string utf8(const WCHAR *s)
{
    const char16_t *units = reinterpret_cast<const char16_t *>(s);
    return utf8FromUtf16(std::u16string(units, units + wideLength(s)));
}

std::u16string utf16(const char *s)
{
    return utf16FromUtf8(s ? s : "");
}

std::string lowered(const std::string &s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c + 32);
    return out;
}

bool wideEqualNoCase(const WCHAR *a, const WCHAR *b)
{
    if (!a || !b)
        return a == b;
    for (;; ++a, ++b) {
        WCHAR x = *a, y = *b;
        if (x >= 'a' && x <= 'z')
            x -= 0x20;
        if (y >= 'a' && y <= 'z')
            y -= 0x20;
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

void setLastError(DWORD error)
{
    lastError = error;
}

void keepEverything() {}

RoomReset::RoomReset(void (*reset)(), void (*restart)())
{
    roomResets().push_back({reset, restart ? restart : reset});
}

static void resetCore()
{
    resetHandles();
    violations.clear();
    armed.clear();
    callCounts.clear();
    lastError = 0;
}

} // namespace emu

using namespace emu;

extern "C" {

void emuReset(void)
{
    // Each area forgets its objects without messages or violations, then the handles go.
    for (const auto &room : roomResets())
        room.first();
    resetCore();
}

void emuSoftReset(void)
{
    // Every process ends: what they made goes without messages, the modules before the files they
    // held, and then what waited for the restart is done. Violations, armed failures and call counts stay: the
    // device restarted, not the test.
    for (auto room = roomResets().rbegin(); room != roomResets().rend(); ++room)
        room->second();
    resetHandles();
    lastError = 0;
}

DWORD WINAPI GetLastError(void)
{
    failNow(__func__); // cannot fail: only counted
    return lastError;
}

void WINAPI SetLastError(DWORD dwErrCode)
{
    failNow(__func__);
    lastError = dwErrCode;
}

void emuFailCall(const char *function, int nth)
{
    if (function && nth > 0)
        armed.push_back(Armed{function, nth});
}

void emuClearFailures(void)
{
    armed.clear();
}

int emuCallCount(const char *function)
{
    auto it = callCounts.find(function ? function : "");
    return it == callCounts.end() ? 0 : it->second;
}

long long emuCallTotal(void)
{
    long long total = 0;
    for (const auto &count : callCounts)
        total += count.second;
    return total;
}

int emuLiveCount(int kind)
{
    if (kind < 0 || kind >= EMU_KIND_COUNT)
        return 0;
    return (int)liveHandles((EmuKind)kind).size();
}

int emuMark(void)
{
    return (int)currentSerial();
}

int emuCheckNoneAliveSince(int mark, int kinds, const char *context)
{
    int found = 0;
    for (int k = 0; k < EMU_KIND_COUNT; ++k) {
        if (!(kinds & (1 << k)))
            continue;
        for (const void *h : liveHandles((EmuKind)k)) {
            if (handleSerial(h) >= mark) {
                ++found;
                violation(context ? context : __func__,
                          std::string(kindName((EmuKind)k)) + " " + hex(h) + " still alive");
            }
        }
    }
    return found;
}

int emuViolationCount(void)
{
    return (int)violations.size();
}

const char *emuViolation(int n)
{
    if (n < 0 || n >= (int)violations.size())
        return "";
    return violations[n].c_str();
}

void emuClearViolations(void)
{
    violations.clear();
}

} // extern "C"
