// What COREDLL.dll and AYGSHELL.dll export to images of code: the one table their imports are
// bound through, with the C run-time functions and the division helpers of Windows CE's compiler.
#include "modules/modules.h"

#include "core/core.h"

#include <aygshell.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>

namespace emu {
namespace {

// ---- the C run time, as COREDLL exports it, by the names of its functions ----
namespace crt {

// What the images hold of the heap: every block malloc gave them and free has not taken back, with
// the bytes asked for, so that a host can tell what a DLL keeps (emuHeapState).
struct Heap {
    std::map<void *, size_t> blocks;
    long long liveBytes = 0;
    long long highWater = 0;
};
Heap heap;

// Allocations fail as injected (null, as malloc fails) and are counted like the platform's calls.
void *malloc(size_t size)
{
    if (failNow(__func__))
        return nullptr;
    void *block = std::malloc(size);
    if (block) {
        heap.blocks[block] = size;
        heap.liveBytes += (long long)size;
        heap.highWater = std::max(heap.highWater, heap.liveBytes);
    }
    return block;
}

// A block from before the last reset is given back without being counted.
void free(void *block)
{
    auto it = heap.blocks.find(block);
    if (it != heap.blocks.end()) {
        heap.liveBytes -= (long long)it->second;
        heap.blocks.erase(it);
    }
    std::free(block);
}

void *memset(void *destination, int value, size_t count)
{
    return std::memset(destination, value, count);
}

void *memcpy(void *destination, const void *source, size_t count)
{
    return std::memcpy(destination, source, count);
}

} // namespace crt

// Windows CE's compiler divides through COREDLL's helpers, whose names no C++ function may take:
// the divisor comes in R0, the dividend in R1; the quotient goes back in R0 and the remainder in
// R1. A 64-bit result of the ARM procedure call standard comes back in R0 (low word) and R1 (high
// word): exactly that shape.
const char signedDivision[] = "__rt_sdiv";
const char unsignedDivision[] = "__rt_udiv";

uint64_t quotientAndRemainder(uint32_t quotient, uint32_t remainder)
{
    return (uint64_t)remainder << 32 | quotient;
}

uint64_t divideSigned(int32_t divisor, int32_t dividend)
{
    if (!divisor) {
        // The device raises a divide-by-zero exception in the caller.
        violation(signedDivision, "division by zero");
        return 0;
    }
    int64_t quotient = (int64_t)dividend / divisor; // INT_MIN / -1 wraps, as the processor's would
    int64_t remainder = (int64_t)dividend % divisor;
    return quotientAndRemainder((uint32_t)quotient, (uint32_t)remainder);
}

uint64_t divideUnsigned(uint32_t divisor, uint32_t dividend)
{
    if (!divisor)
        return misuse(unsignedDivision, "division by zero", 0);
    return quotientAndRemainder(dividend / divisor, dividend % divisor);
}

struct Export {
    const char *module;
    const char *name;
    uint16_t ordinal; // 0: exported by name only
    void *function;
};

#define EXPORT(module, name, ordinal, function)                                                                        \
    {                                                                                                                  \
        module, name, ordinal, reinterpret_cast<void *>(&function)                                                     \
    }
// Functions exported by their own names.
#define COREDLL(function) EXPORT("COREDLL.dll", #function, 0, function)
#define CRT(function) EXPORT("COREDLL.dll", #function, 0, crt::function)
#define AYGSHELL(function, ordinal) EXPORT("AYGSHELL.dll", #function, ordinal, function)

// Every function the platform offers an image, the same ones the ELF builds call, so that call
// counts and injected failures see calls from either. COREDLL's ordinals are not documented:
// its functions are found by name only.
const Export platformExports[] = {
    // window manager
    COREDLL(RegisterClassW),
    COREDLL(UnregisterClassW),
    COREDLL(CreateWindowExW),
    COREDLL(DestroyWindow),
    COREDLL(ShowWindow),
    COREDLL(MoveWindow),
    COREDLL(GetParent),
    COREDLL(GetWindow),
    COREDLL(GetWindowRect),
    COREDLL(GetClientRect),
    COREDLL(SetWindowLongW),
    COREDLL(GetWindowLongW),
    COREDLL(IsWindow),
    COREDLL(IsWindowVisible),
    COREDLL(SetCapture),
    COREDLL(ReleaseCapture),
    COREDLL(GetCapture),
    COREDLL(SetTimer),
    COREDLL(KillTimer),
    COREDLL(GetSystemMetrics),
    COREDLL(InvalidateRect),
    COREDLL(ValidateRect),
    COREDLL(UpdateWindow),
    COREDLL(BeginPaint),
    COREDLL(EndPaint),
    COREDLL(DefWindowProcW),
    COREDLL(SendMessageW),
    COREDLL(PostMessageW),
    COREDLL(GetMessageW),
    COREDLL(PeekMessageW),
    COREDLL(DispatchMessageW),
    COREDLL(PostQuitMessage),
    COREDLL(IntersectRect),
    COREDLL(SetRect),
    // graphics
    COREDLL(GetDC),
    COREDLL(ReleaseDC),
    COREDLL(CreateCompatibleDC),
    COREDLL(DeleteDC),
    COREDLL(CreateCompatibleBitmap),
    COREDLL(SelectObject),
    COREDLL(DeleteObject),
    COREDLL(BitBlt),
    COREDLL(StretchBlt),
    COREDLL(GetObjectW),
    COREDLL(GetPixel),
    COREDLL(SetPixel),
    // registry, processes, time, errors
    COREDLL(RegOpenKeyExW),
    COREDLL(RegQueryValueExW),
    COREDLL(RegCloseKey),
    COREDLL(CreateProcessW),
    COREDLL(CloseHandle),
    COREDLL(GetTickCount),
    COREDLL(GetLastError),
    COREDLL(SetLastError),
    // modules and images; the image list functions are COREDLL's on Windows CE
    COREDLL(LoadLibraryExW),
    COREDLL(LoadLibraryW),
    COREDLL(FreeLibrary),
    COREDLL(GetProcAddressW),
    EXPORT("COREDLL.dll", "GetProcAddressA", 0, GetProcAddress),
    COREDLL(LoadBitmapW),
    COREDLL(ImageList_Create),
    COREDLL(ImageList_Destroy),
    COREDLL(ImageList_AddMasked),
    COREDLL(ImageList_GetImageCount),
    // the C run time and the compiler's helpers
    CRT(malloc),
    CRT(free),
    CRT(memset),
    CRT(memcpy),
    EXPORT("COREDLL.dll", signedDivision, 0, divideSigned),
    EXPORT("COREDLL.dll", unsignedDivision, 0, divideUnsigned),
    // aygshell exports its image loader by ordinal only
    AYGSHELL(SHLoadImageResource, 64),
    {nullptr, nullptr, 0, nullptr},
};

// Imports bound to another export than their own name's (emuRebindImport), by name.
std::map<std::string, std::string> rebound;

// Module names compare without regard to case; a name without an extension means a .dll.
bool sameModule(const char *exported, const std::string &imported)
{
    std::string name = imported.find('.') == std::string::npos ? imported + ".dll" : imported;
    if (name.size() != std::strlen(exported))
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::tolower((unsigned char)name[i]) != std::tolower((unsigned char)exported[i]))
            return false;
    return true;
}

} // namespace

void *platformExport(const PeImport &import)
{
    std::string name = import.name;
    auto re = rebound.find(name);
    if (re != rebound.end())
        name = re->second;
    for (const Export *e = platformExports; e->module; ++e) {
        if (!sameModule(e->module, import.module))
            continue;
        if (name.empty() ? e->ordinal && e->ordinal == import.ordinal : name == e->name)
            return e->function;
    }
    return nullptr;
}

// Forgets the bindings emuRebindImport changed, and the heap's accounting, at a reset.
static void resetImportBindings()
{
    rebound.clear();
    crt::heap = crt::Heap();
}
// A restart keeps the bindings, which stand for the test's choice, not the device's state; the
// processes' memory goes with them.
static void restartImportBindings()
{
    for (const auto &block : crt::heap.blocks)
        std::free(block.first);
    crt::heap = crt::Heap();
}
const RoomReset bindingsReset(resetImportBindings, restartImportBindings);

} // namespace emu

using namespace emu;

extern "C" {

void emuHeapState(EmuHeap *out)
{
    if (!out)
        return;
    out->liveBytes = crt::heap.liveBytes;
    out->liveBlocks = (int)crt::heap.blocks.size();
    out->highWater = crt::heap.highWater;
}

void emuResetHeapHighWater(void)
{
    crt::heap.highWater = crt::heap.liveBytes;
}

void emuRebindImport(const char *name, const char *boundTo)
{
    if (!name)
        return;
    if (boundTo)
        rebound[name] = boundTo;
    else
        rebound.erase(name);
}

} // extern "C"
