// Tests of the loader of code: tiny ARM DLLs built here, loaded, run, looked into and freed, and
// malformed or unfit ones refused with nothing left mapped.
#include <gtest/gtest.h>

#include <windows.h>

#include <aygshell.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "emu.h"
#include "pebuilder.h"

namespace {

using namespace pebuilder;

// ARM instructions (A32) the test DLLs are made of.
const uint32_t PUSH_R4_LR = 0xE92D4010, POP_R4_PC = 0xE8BD8010, BX_LR = 0xE12FFF1E;
const uint32_t ADD_R0_R1_100 = 0xE2810064, MOV_LR_PC = 0xE1A0E00F, LDR_PC_R12 = 0xE59CF000;
const uint32_t MOV_R2_R0 = 0xE1A02000, MOV_R0_R1 = 0xE1A00001, MOV_R1_R2 = 0xE1A01002, LDR_R12_PC0 = 0xE59FC000;
uint32_t movR0(uint8_t value)
{
    return 0xE3A00000 | value;
}
uint32_t ldrR12Pc(uint32_t offset)
{
    return 0xE59FC000 | offset;
}

// A DLL whose entry point tells SetLastError the reason plus 100 and answers `answer`; whose
// exported stubs call __rt_sdiv, __rt_udiv, GetDC, malloc and free through its imports (swapping
// the operands into the helpers' order); that exports a word holding its own address; and that
// imports SHLoadImageResource by ordinal.
CodeImage testDll(uint8_t answer = 1)
{
    CodeImage d;
    // Slots go module by module: malloc and free last, under a name without its extension.
    d.imports = {{"COREDLL.dll", "SetLastError", 0},
                 {"COREDLL.dll", "__rt_sdiv", 0},
                 {"COREDLL.dll", "__rt_udiv", 0},
                 {"coredll.DLL", "GetDC", 0},
                 {"AYGSHELL.dll", "", 64},
                 {"coredll", "malloc", 0},
                 {"coredll", "free", 0}};
    CodeLayout l;
    buildCode(d, emu::IMAGE_FILE_MACHINE_ARM, &l); // for the slots' RVAs
    d.code = {PUSH_R4_LR, ADD_R0_R1_100, ldrR12Pc(12), MOV_LR_PC, LDR_PC_R12, movR0(answer), POP_R4_PC, l.slots[0]};
    d.addresses = {7};
    for (int helper : {1, 2}) {
        d.exports.push_back({helper == 1 ? "divide" : "divideUnsigned", codeRva + 4 * (uint32_t)d.code.size()});
        d.addresses.push_back(d.code.size() + 5);
        d.code.insert(d.code.end(), {MOV_R2_R0, MOV_R0_R1, MOV_R1_R2, LDR_R12_PC0, LDR_PC_R12, l.slots[helper]});
    }
    const struct {
        const char *name;
        size_t import;
    } calls[] = {{"getDC", 3}, {"malloc", 5}, {"free", 6}};
    for (const auto &call : calls) {
        d.exports.push_back({call.name, codeRva + 4 * (uint32_t)d.code.size()});
        d.addresses.push_back(d.code.size() + 2);
        d.code.insert(d.code.end(), {LDR_R12_PC0, LDR_PC_R12, l.slots[call.import]});
    }
    d.exports.push_back({"self", codeRva + 4 * (uint32_t)d.code.size()});
    d.addresses.push_back(d.code.size());
    d.code.push_back(codeRva + 4 * (uint32_t)d.code.size());
    d.exports.push_back({"slots", tablesRva});
    d.code.push_back(BX_LR);
    return d;
}

class LoaderTest : public ::testing::Test {
  protected:
    void SetUp() override { emuReset(); }
    void TearDown() override
    {
        for (int i = 0; i < emuViolationCount(); ++i)
            ADD_FAILURE() << "violation: " << emuViolation(i);
    }
    HMODULE load(const char *cePath, const Bytes &bytes)
    {
        emuRegisterModule(cePath, bytes.data(), bytes.size());
        std::u16string wide(cePath, cePath + strlen(cePath));
        return LoadLibraryW(reinterpret_cast<LPCWSTR>(wide.c_str()));
    }
    template <typename T> T proc(HMODULE m, const WCHAR *name) { return reinterpret_cast<T>(GetProcAddressW(m, name)); }
};

// A file the loader refuses, made from the test DLL, and what it must say.
struct Refused {
    const char *what;
    std::function<Bytes()> make;
    DWORD error;
    const char *problem; // part of emuLastLoadProblem()
    bool beforeMachine;  // refused whatever processor runs the emulation
};

Bytes corrupted(const std::function<void(Bytes &, const CodeLayout &)> &corrupt)
{
    CodeLayout l;
    Bytes b = buildCode(testDll(), emu::IMAGE_FILE_MACHINE_ARM, &l);
    corrupt(b, l);
    return b;
}

Bytes importing(const Import &import)
{
    CodeImage d = testDll();
    d.imports.push_back(import);
    return buildCode(d);
}

const Refused refused[] = {
    {"x86", [] { return buildCode(testDll(), emu::IMAGE_FILE_MACHINE_I386); }, ERROR_BAD_EXE_FORMAT,
     "machine type 0x014C", true},
    {"PE32+", [] { return corrupted([](Bytes &b, const CodeLayout &l) { put16(b, l.optionalHeader, 0x20B); }); },
     ERROR_BAD_EXE_FORMAT, "32-bit", true},
    {"desktop subsystem",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put16(b, l.optionalHeader + 68, 2); }); },
     ERROR_BAD_EXE_FORMAT, "subsystem", true},
    {"Windows CE 6",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put16(b, l.optionalHeader + 48, 6); }); },
     ERROR_BAD_EXE_FORMAT, "later Windows CE", true},
    {"image too small for its sections",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put32(b, l.optionalHeader + 56, 0x3000); }); },
     ERROR_BAD_EXE_FORMAT, "outside the image", true},
    {"section data past the file",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put32(b, l.sectionTable + 20, 0x100000); }); },
     ERROR_BAD_EXE_FORMAT, "end of the file", true},
    {"relocation block of 6 bytes",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put32(b, l.relocations + 4, 6); }); },
     ERROR_BAD_EXE_FORMAT, "relocation block", true},
    {"64-bit relocation",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put16(b, l.relocations + 8, 0xA01C); }); },
     ERROR_BAD_EXE_FORMAT, "HIGHLOW", true},
    {"relocation past the image",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put32(b, l.relocations, 0x10000); }); },
     ERROR_BAD_EXE_FORMAT, "relocation outside", true},
    {"import name past the image",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put32(b, l.importNames, 0x7FFFFF00); }); },
     ERROR_BAD_EXE_FORMAT, "import name outside", true},
    {"thread-local storage",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put32(b, l.optionalHeader + 96 + 72, 0x2000); }); },
     ERROR_BAD_EXE_FORMAT, "thread-local", true},
    {"entry point in the data",
     [] { return corrupted([](Bytes &b, const CodeLayout &l) { put32(b, l.optionalHeader + 16, dataRva); }); },
     ERROR_BAD_EXE_FORMAT, "entry point", true},
    {"a function COREDLL lacks",
     [] {
         return importing({"COREDLL.dll", "NoSuchFunction", 0});
     },
     ERROR_BAD_EXE_FORMAT, "COREDLL.dll!NoSuchFunction", false},
    {"a module the platform lacks",
     [] {
         return importing({"OLE32.dll", "CoInitializeEx", 0});
     },
     ERROR_BAD_EXE_FORMAT, "OLE32.dll!CoInitializeEx", false},
    {"a COREDLL ordinal",
     [] {
         return importing({"COREDLL.dll", "", 5});
     },
     ERROR_BAD_EXE_FORMAT, "COREDLL.dll!#5", false},
    {"an entry point refusing to attach", [] { return buildCode(testDll(0)); }, ERROR_DLL_INIT_FAILED, "entry point",
     false},
};

TEST_F(LoaderTest, RefusedFilesFailWithTheirErrorAndLeaveNothingMapped)
{
    for (const Refused &r : refused) {
#if !defined(__arm__)
        if (!r.beforeMachine)
            continue;
#endif
        SCOPED_TRACE(r.what);
        SetLastError(0);
        EXPECT_EQ(nullptr, load("\\Windows\\refused.dll", r.make()));
        EXPECT_EQ(r.error, GetLastError());
        EXPECT_NE(std::string::npos, std::string(emuLastLoadProblem()).find(r.problem)) << emuLastLoadProblem();
        EXPECT_EQ(0, emuMappedImages());
        EXPECT_EQ(0, emuLiveCount(EMU_MODULE));
    }
    EXPECT_EQ(nullptr, LoadLibraryW(L"\\Windows\\missing.dll"));
    EXPECT_EQ((DWORD)ERROR_MOD_NOT_FOUND, GetLastError());
}

#if defined(__arm__)

TEST_F(LoaderTest, EntryPointRunsAtTheFirstLoadAndTheLastFreeOfAModuleAnyPathNames)
{
    Bytes dll = buildCode(testDll());
    SetLastError(0);
    HMODULE m = load("\\Windows\\test.dll", dll);
    ASSERT_NE(nullptr, m) << emuLastLoadProblem();
    EXPECT_EQ(100u + DLL_PROCESS_ATTACH, GetLastError()) << "the entry point called SetLastError through its import";
    SetLastError(0);
    EXPECT_EQ(m, load("\\Other\\TEST.dll", dll)) << "one module of a name, counted";
    EXPECT_EQ(1, emuMappedImages());
    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_EQ(0u, GetLastError()) << "no detach while a load remains";
    EXPECT_EQ(1, emuMappedImages());
    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_EQ(100u + DLL_PROCESS_DETACH, GetLastError());
    EXPECT_EQ(0, emuMappedImages());
    EXPECT_EQ(0, emuLiveCount(EMU_MODULE));
}

TEST_F(LoaderTest, ImportsBindToThePlatformsOwnFunctionsByNameAndOrdinal)
{
    CodeLayout l;
    HMODULE m = load("\\Windows\\test.dll", buildCode(testDll(), emu::IMAGE_FILE_MACHINE_ARM, &l));
    ASSERT_NE(nullptr, m) << emuLastLoadProblem();
    const uint8_t *tables = proc<const uint8_t *>(m, L"slots");
    ASSERT_NE(nullptr, tables);
    auto slot = [&](size_t import) {
        uint32_t address;
        memcpy(&address, tables + l.slots[import] - tablesRva, 4);
        return address;
    };
    EXPECT_EQ((uint32_t)(uintptr_t)&SetLastError, slot(0));
    EXPECT_EQ((uint32_t)(uintptr_t)&GetDC, slot(3)) << "a module name in any case";
    EXPECT_EQ((uint32_t)(uintptr_t)&SHLoadImageResource, slot(4)) << "AYGSHELL's ordinal 64";

    // Calls from the DLL are counted and fail as injected, as the ELF panel's calls do.
    typedef HDC (*GetDcProc)(HWND);
    GetDcProc getDc = proc<GetDcProc>(m, L"getDC");
    int before = emuCallCount("GetDC");
    HDC screen = getDc(nullptr);
    EXPECT_NE(nullptr, screen);
    ReleaseDC(nullptr, screen);
    emuFailCall("GetDC", 1);
    EXPECT_EQ(nullptr, getDc(nullptr));
    EXPECT_EQ(before + 2, emuCallCount("GetDC"));
    FreeLibrary(m);
}

TEST_F(LoaderTest, TheHeapCountsWhatAnImageHoldsAndTheMostItHeld)
{
    HMODULE m = load("\\Windows\\test.dll", buildCode(testDll()));
    ASSERT_NE(nullptr, m) << emuLastLoadProblem();
    typedef void *(*Malloc)(size_t);
    typedef void (*Free)(void *);
    Malloc allocate = proc<Malloc>(m, L"malloc");
    Free release = proc<Free>(m, L"free");
    auto heap = [] {
        EmuHeap h;
        memset(&h, 0xDE, sizeof h);
        emuHeapState(&h);
        return h;
    };
    void *a = allocate(100), *b = allocate(28);
    emuFailCall("malloc", 1);
    EXPECT_EQ(nullptr, allocate(1000)) << "an injected failure";
    const struct {
        const char *after;
        void *freed;
        bool resetMark;
        long long live;
        int blocks;
        long long highWater;
    } steps[] = {
        {"two blocks", nullptr, false, 128, 2, 128},
        {"the first freed", a, false, 28, 1, 128},
        {"the mark started afresh", nullptr, true, 28, 1, 28},
        {"the second freed", b, false, 0, 0, 28},
    };
    for (const auto &s : steps) {
        if (s.freed)
            release(s.freed);
        if (s.resetMark)
            emuResetHeapHighWater();
        EmuHeap h = heap();
        EXPECT_EQ(s.live, h.liveBytes) << s.after;
        EXPECT_EQ(s.blocks, h.liveBlocks) << s.after;
        EXPECT_EQ(s.highWater, h.highWater) << s.after;
    }
    void *kept = allocate(40);
    FreeLibrary(m);
    emuReset();
    EXPECT_EQ(0, heap().liveBytes) << "a reset forgets the heap";
    EXPECT_EQ(0, heap().highWater);
    free(kept); // what the image's malloc gives comes from the C library's
}

TEST_F(LoaderTest, DivisionHelpersTakeTheDivisorInR0AndGiveTheRemainderInR1)
{
    HMODULE m = load("\\Windows\\test.dll", buildCode(testDll()));
    ASSERT_NE(nullptr, m) << emuLastLoadProblem();
    // The stubs take (dividend, divisor) and call the helpers with (divisor, dividend).
    typedef uint64_t (*Divide)(uint32_t dividend, uint32_t divisor);
    Divide divide = proc<Divide>(m, L"divide"), divideUnsigned = proc<Divide>(m, L"divideUnsigned");
    const struct {
        Divide helper;
        uint32_t dividend, divisor, quotient, remainder;
    } cases[] = {
        {divide, 7, 2, 3, 1},
        {divide, (uint32_t)-7, 2, (uint32_t)-3, (uint32_t)-1},
        {divide, 2, 7, 0, 2},
        {divideUnsigned, 0xFFFFFFF1u, 16, 0x0FFFFFFFu, 1},
    };
    for (const auto &c : cases) {
        uint64_t both = c.helper(c.dividend, c.divisor);
        EXPECT_EQ(c.quotient, (uint32_t)both) << c.dividend << " / " << c.divisor;
        EXPECT_EQ(c.remainder, (uint32_t)(both >> 32)) << c.dividend << " % " << c.divisor;
    }
    FreeLibrary(m);
}

TEST_F(LoaderTest, AModuleMovedOffItsBaseIsRelocatedAndAnswersByNameAndOrdinal)
{
    // Both want the same base; at most one gets it.
    HMODULE a = load("\\Windows\\a.dll", buildCode(testDll())), b = load("\\Windows\\b.dll", buildCode(testDll()));
    ASSERT_NE(nullptr, b) << emuLastLoadProblem();
    EXPECT_EQ(2, emuMappedImages());
    for (HMODULE m : {a, b}) {
        const uint32_t *self = proc<const uint32_t *>(m, L"self");
        ASSERT_NE(nullptr, self);
        EXPECT_EQ((uint32_t)(uintptr_t)self, *self) << "the word holding its own address moved with it";
        EXPECT_EQ(proc<void *>(m, L"getDC"), proc<void *>(m, MAKEINTRESOURCEW(3)));
    }
    EXPECT_NE(proc<void *>(a, L"self"), proc<void *>(b, L"self"));
    SetLastError(0);
    EXPECT_EQ(nullptr, proc<void *>(a, L"DllMain"));
    EXPECT_EQ((DWORD)ERROR_PROC_NOT_FOUND, GetLastError());
    EXPECT_EQ(nullptr, proc<void *>(a, MAKEINTRESOURCEW(99)));
    FreeLibrary(a);
    FreeLibrary(b);
}

#else

TEST_F(LoaderTest, AnArmDllIsNoCodeForThisProcessor)
{
    EXPECT_EQ(nullptr, load("\\Windows\\test.dll", buildCode(testDll())));
    EXPECT_EQ((DWORD)ERROR_BAD_EXE_FORMAT, GetLastError());
    EXPECT_NE(std::string::npos, std::string(emuLastLoadProblem()).find("machine type 0x01C0"));
    EXPECT_EQ(0, emuMappedImages());
}

#endif

} // namespace
