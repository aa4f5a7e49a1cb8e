// Tests of modules loaded as data files: real 32- and 64-bit resource DLLs, paths, handles, bad files.
#include <gtest/gtest.h>

#include <windows.h>

#include <aygshell.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "emu.h"
#include "pebuilder.h"
#include "testbitmaps.h"
#include "wholefile.h"

namespace {

using pebuilder::Bytes;
using testbitmaps::Format;

std::string violations()
{
    std::string all;
    for (int i = 0; i < emuViolationCount(); ++i)
        all += std::string(emuViolation(i)) + "\n";
    return all;
}

HMODULE loadData(const WCHAR *path)
{
    return LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
}

// Checks a loaded bitmap against a format's picture, pixel by pixel.
void expectPicture(HBITMAP b, const Format &f)
{
    ASSERT_NE(nullptr, b) << f.file;
    BITMAP bm = {};
    ASSERT_EQ((int)sizeof bm, GetObjectW(b, sizeof bm, &bm));
    EXPECT_EQ(f.width, bm.bmWidth) << f.file;
    EXPECT_EQ(f.height, bm.bmHeight) << f.file;
    EXPECT_EQ(32, bm.bmBitsPixel) << f.file << ": images load as colour bitmaps";
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x)
            ASSERT_EQ(f.expected[testbitmaps::index(f, x, y)], emuBitmapPixel(b, x, y))
                << f.file << " at (" << x << "," << y << ")";
}

const Format &formatNamed(const char *file)
{
    for (const Format &f : testbitmaps::formats)
        if (std::string(f.file) == file)
            return f;
    return testbitmaps::formats[0];
}

class ModuleTest : public ::testing::Test {
  protected:
    void SetUp() override
    {
        emuReset();
        emuMapFolder("\\Windows", EMU_TESTDATA);
    }
};

class RealModuleTest : public ModuleTest, public ::testing::WithParamInterface<const char *> {
  protected:
    std::u16string cePath() const
    {
        std::u16string p = u"\\Windows\\";
        for (const char *c = GetParam(); *c; ++c)
            p += (char16_t)*c;
        return p;
    }
    HMODULE load() const { return loadData((const WCHAR *)cePath().c_str()); }
};

TEST_P(RealModuleTest, EveryDibFormatDecodesToItsExactPixels)
{
    HMODULE m = load();
    ASSERT_NE(nullptr, m) << "LoadLibraryExW failed with " << GetLastError();
    for (const Format &f : testbitmaps::formats) {
        // The test means something only if flipping the rows would change the picture.
        bool symmetric = true;
        for (int x = 0; x < f.width; ++x)
            symmetric &= f.expected[testbitmaps::index(f, x, 0)] == f.expected[testbitmaps::index(f, x, f.height - 1)];
        EXPECT_FALSE(symmetric) << f.file;

        HBITMAP loaded = LoadBitmapW(m, MAKEINTRESOURCEW(f.id));
        expectPicture(loaded, f);
        HBITMAP shell = SHLoadImageResource(m, f.id);
        expectPicture(shell, f);
        EXPECT_NE(loaded, shell) << "each load is a bitmap of its own";
        DeleteObject(loaded);
        DeleteObject(shell);
    }
    EXPECT_TRUE(FreeLibrary(m));
    EXPECT_EQ(0, emuLiveCount(EMU_BITMAP));
    EXPECT_EQ(0, emuLiveCount(EMU_MODULE));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_P(RealModuleTest, NamesAndImageFilesOfOtherTypesAreFound)
{
    HMODULE m = load();
    ASSERT_NE(nullptr, m);
    const Format &rgb24 = formatNamed("rgb24");
    HBITMAP named = LoadBitmapW(m, L"logo");
    expectPicture(named, rgb24);
    HBITMAP byNumber = LoadBitmapW(m, L"#108");
    expectPicture(byNumber, rgb24);
    // The shell's loader reads PNG, GIF and JPEG files under the type "GIF", and nothing elsewhere.
    for (unsigned id : {testbitmaps::gifPngId, testbitmaps::gifGifId}) {
        SCOPED_TRACE(id);
        HBITMAP b = SHLoadImageResource(m, id);
        expectPicture(b, rgb24);
        DeleteObject(b);
    }
    HBITMAP jpeg = SHLoadImageResource(m, testbitmaps::gifJpegId);
    ASSERT_NE(nullptr, jpeg);
    int farOff = 0;
    for (int y = 0; y < rgb24.height; ++y)
        for (int x = 0; x < rgb24.width; ++x) {
            uint32_t want = rgb24.expected[testbitmaps::index(rgb24, x, y)], got = emuBitmapPixel(jpeg, x, y);
            for (int shift = 0; shift < 24; shift += 8)
                farOff += std::abs((int)((want >> shift) & 0xFF) - (int)((got >> shift) & 0xFF)) > 48;
        }
    EXPECT_EQ(0, farOff) << "the JPEG decodes close to its picture";
    DeleteObject(jpeg);
    for (unsigned id : {testbitmaps::bmpFileId, testbitmaps::pngId, testbitmaps::pngTypedId})
        EXPECT_EQ(nullptr, SHLoadImageResource(m, id)) << id << ": not under the type GIF";
    EXPECT_EQ(nullptr, LoadBitmapW(m, MAKEINTRESOURCEW(testbitmaps::bmpFileId))) << "RCDATA is not RT_BITMAP";
    EXPECT_EQ(nullptr, LoadBitmapW(m, MAKEINTRESOURCEW(999)));
    EXPECT_EQ(nullptr, SHLoadImageResource(m, 999));
    EXPECT_EQ(nullptr, SHLoadImageResource(m, 0x10000 + 108)) << "ids are 16 bits";
    DeleteObject(named);
    DeleteObject(byNumber);
    FreeLibrary(m);
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_P(RealModuleTest, EveryTruncationFailsCleanlyAndNeverLosesWhatALongerFileHad)
{
    Bytes whole = wholeFile(std::string(EMU_TESTDATA) + "/" + GetParam());
    ASSERT_GT(whole.size(), 1024u);
    int previous = 0;
    bool loadedOnce = false;
    for (size_t n = 0; n <= whole.size(); ++n) {
        emuRegisterModule("\\Windows\\cut.dll", whole.data(), n);
        HMODULE m = loadData(L"\\Windows\\cut.dll");
        int decoded = 0;
        if (m) {
            loadedOnce = true;
            for (const Format &f : testbitmaps::formats) {
                HBITMAP b = LoadBitmapW(m, MAKEINTRESOURCEW(f.id));
                decoded += b != nullptr;
                DeleteObject(b);
            }
            FreeLibrary(m);
        } else {
            ASSERT_EQ((DWORD)ERROR_BAD_EXE_FORMAT, GetLastError()) << n;
        }
        ASSERT_GE(decoded, previous) << "a file of " << n << " bytes lost a resource";
        previous = decoded;
        emuClearViolations(); // DeleteObject(nullptr) above
    }
    EXPECT_TRUE(loadedOnce);
    EXPECT_EQ((int)(sizeof testbitmaps::formats / sizeof testbitmaps::formats[0]), previous);
    EXPECT_EQ(0, emuLiveCount(EMU_BITMAP));
}

INSTANTIATE_TEST_SUITE_P(Modules, RealModuleTest, ::testing::Values("emutest32.dll", "emutest64.dll"));

TEST_F(ModuleTest, CePathsResolveWithoutRegardToCaseInsideTheMappedFolder)
{
    const WCHAR *good[] = {L"\\Windows\\emutest64.dll", L"\\WINDOWS\\EmuTest64.DLL", L"emutest64.dll",
                           L"/Windows/emutest64.dll"};
    for (const WCHAR *path : good) {
        HMODULE m = loadData(path);
        EXPECT_NE(nullptr, m);
        FreeLibrary(m);
    }
    const WCHAR *bad[] = {L"\\Windows\\missing.dll", L"\\Other\\emutest64.dll",
                          L"\\Windows\\..\\Windows\\emutest64.dll", L"\\Windowsx\\emutest64.dll", L"\\Windows"};
    for (const WCHAR *path : bad) {
        SetLastError(0);
        EXPECT_EQ(nullptr, loadData(path));
        EXPECT_EQ((DWORD)ERROR_MOD_NOT_FOUND, GetLastError());
    }
    EXPECT_EQ(0, emuLiveCount(EMU_MODULE));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(ModuleTest, RegisteredImagesComeFirstAndLoadedModulesKeepTheirBytes)
{
    const Format &pal4 = formatNamed("pal4");
    Bytes dll32 = wholeFile(std::string(EMU_TESTDATA) + "/emutest32.dll");
    ASSERT_FALSE(dll32.empty());
    // Registered under the name of the mapped 64-bit file: the registered image wins.
    emuRegisterModule("\\windows\\EMUTEST64.dll", dll32.data(), dll32.size());
    HMODULE m = loadData(L"\\Windows\\emutest64.dll");
    ASSERT_NE(nullptr, m);
    emuUnregisterModule("\\Windows\\emutest64.dll");
    HBITMAP b = LoadBitmapW(m, MAKEINTRESOURCEW(pal4.id));
    expectPicture(b, pal4);
    EXPECT_TRUE(FreeLibrary(m));
    expectPicture(b, pal4); // a bitmap outlives its module
    DeleteObject(b);

    emuMapFolder("\\Windows", nullptr);
    EXPECT_EQ(nullptr, loadData(L"\\Windows\\emutest64.dll")) << "neither registered nor mapped now";
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(ModuleTest, HandlesAreCheckedAndEachLoadIsItsOwnModule)
{
    HMODULE a = loadData(L"\\Windows\\emutest64.dll"), b = loadData(L"\\Windows\\emutest64.dll");
    ASSERT_NE(nullptr, a);
    EXPECT_NE(a, b);
    EXPECT_EQ(2, emuLiveCount(EMU_MODULE));
    EXPECT_EQ(nullptr, GetProcAddress(a, "DllGetClassObject")) << "a data file has no code";
    EXPECT_EQ((DWORD)ERROR_PROC_NOT_FOUND, GetLastError());
    EXPECT_TRUE(FreeLibrary(a));
    EXPECT_EQ(0, emuViolationCount()) << violations();

    int expected = 0;
    EXPECT_FALSE(FreeLibrary(a)) << "freed twice";
    EXPECT_EQ(++expected, emuViolationCount());
    EXPECT_EQ(nullptr, LoadBitmapW(a, MAKEINTRESOURCEW(101))) << "a freed module";
    EXPECT_EQ(++expected, emuViolationCount());
    EXPECT_EQ(nullptr, SHLoadImageResource(nullptr, 101));
    EXPECT_EQ(++expected, emuViolationCount());
    EXPECT_EQ(nullptr, SHLoadImageResource((HINSTANCE)GetDC(nullptr), 101)) << "a DC is no module";
    EXPECT_EQ(++expected, emuViolationCount());
    EXPECT_EQ(nullptr, LoadLibraryW(L"\\Windows\\emutest64.dll")) << "no code of this processor";
    EXPECT_EQ((DWORD)ERROR_BAD_EXE_FORMAT, GetLastError());
    EXPECT_EQ(nullptr, LoadLibraryExW(L"\\Windows\\emutest64.dll", nullptr, 0x8)) << "an unknown flag";
    EXPECT_EQ(++expected, emuViolationCount());
    EXPECT_EQ(nullptr, LoadLibraryExW(L"\\Windows\\emutest64.dll", (HANDLE)b, LOAD_LIBRARY_AS_DATAFILE));
    EXPECT_EQ(++expected, emuViolationCount());
    EXPECT_EQ(nullptr, loadData(nullptr));
    EXPECT_EQ(++expected, emuViolationCount()) << violations();
    EXPECT_EQ(nullptr, LoadBitmapW(nullptr, MAKEINTRESOURCEW(1))) << "system bitmaps are not emulated";
    EXPECT_EQ(expected, emuViolationCount()) << "but asking for them is no misuse";
    EXPECT_EQ(1, emuLiveCount(EMU_MODULE));
}

TEST_F(ModuleTest, InjectedFailuresFailTheLoads)
{
    emuFailCall("LoadLibraryExW", 1);
    EXPECT_EQ(nullptr, loadData(L"\\Windows\\emutest64.dll"));
    HMODULE m = loadData(L"\\Windows\\emutest64.dll");
    ASSERT_NE(nullptr, m);
    emuFailCall("LoadBitmapW", 1);
    emuFailCall("SHLoadImageResource", 1);
    EXPECT_EQ(nullptr, LoadBitmapW(m, MAKEINTRESOURCEW(101)));
    EXPECT_EQ(nullptr, SHLoadImageResource(m, 101));
    EXPECT_EQ(0, emuLiveCount(EMU_BITMAP));
    emuFailCall("FreeLibrary", 1);
    EXPECT_FALSE(FreeLibrary(m));
    EXPECT_TRUE(FreeLibrary(m)) << "the module stayed loaded after the failed free";
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

// ---- hand-built images: other kinds and machines, and every way of being malformed ----

uint32_t diagonal(int x, int y)
{
    return x == y ? 0xFF0000 : 0x0000FF;
}

class BuiltModuleTest : public ModuleTest {
  protected:
    // A bitmap of the display's format, the display set to 24 bits so that colours stay exact.
    static HBITMAP colourBitmap(int width, int height)
    {
        emuSetScreenDepth(32);
        HDC screen = GetDC(nullptr);
        HBITMAP b = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        return b;
    }
    Bytes image(pebuilder::Kind kind = pebuilder::pe32, uint16_t machine = emu::IMAGE_FILE_MACHINE_I386,
                pebuilder::Layout *layout = nullptr)
    {
        std::vector<pebuilder::Resource> resources = {
            {2, 7, pebuilder::dib24(3, 2, diagonal), u"", u""},
            {10, 8, {1, 2, 3}, u"", u""},
        };
        return pebuilder::build(resources, kind, machine, layout);
    }

    // Loads the bytes; returns whether the module loaded and, if so, whether bitmap 7 came out.
    static bool load(const Bytes &bytes, bool *bitmap = nullptr)
    {
        emuRegisterModule("\\Windows\\built.dll", bytes.data(), bytes.size());
        HMODULE m = loadData(L"\\Windows\\built.dll");
        if (m) {
            HBITMAP b = LoadBitmapW(m, MAKEINTRESOURCEW(7));
            if (bitmap)
                *bitmap = b != nullptr;
            if (b)
                DeleteObject(b);
            FreeLibrary(m);
        }
        return m != nullptr;
    }
};

TEST_F(BuiltModuleTest, AnyMachineAndBothImageKindsLoad)
{
    const struct {
        pebuilder::Kind kind;
        uint16_t machine;
    } kinds[] = {{pebuilder::pe32, emu::IMAGE_FILE_MACHINE_I386},
                 {pebuilder::pe32, emu::IMAGE_FILE_MACHINE_THUMB},
                 {pebuilder::pe32plus, emu::IMAGE_FILE_MACHINE_AMD64},
                 {pebuilder::pe32plus, 0xAA64}};
    for (auto &k : kinds) {
        emuRegisterModule("\\Windows\\built.dll", image(k.kind, k.machine).data(), image(k.kind, k.machine).size());
        HMODULE m = loadData(L"\\Windows\\built.dll");
        ASSERT_NE(nullptr, m) << "machine " << k.machine;
        HBITMAP b = LoadBitmapW(m, MAKEINTRESOURCEW(7));
        ASSERT_NE(nullptr, b);
        EXPECT_EQ(0xFF0000u, emuBitmapPixel(b, 1, 1));
        EXPECT_EQ(0x0000FFu, emuBitmapPixel(b, 2, 1));
        EXPECT_EQ(nullptr, SHLoadImageResource(m, 8)) << "three bytes of RCDATA are no image";
        DeleteObject(b);
        FreeLibrary(m);
    }
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

// The device does not copy a resource bitmap into RAM: it can be selected and copied from, not
// drawn into.
TEST_F(BuiltModuleTest, LoadedBitmapsAreReadOnly)
{
    Bytes bytes = image(pebuilder::pe32, emu::IMAGE_FILE_MACHINE_ARM);
    emuRegisterModule("\\Windows\\built.dll", bytes.data(), bytes.size());
    HMODULE m = loadData(L"\\Windows\\built.dll");
    HBITMAP b = LoadBitmapW(m, MAKEINTRESOURCEW(7));
    ASSERT_NE(nullptr, b);
    HDC source = CreateCompatibleDC(nullptr), target = CreateCompatibleDC(nullptr);
    HBITMAP copy = colourBitmap(3, 2);
    HGDIOBJ sourceStock = SelectObject(source, b), targetStock = SelectObject(target, copy);
    EXPECT_TRUE(BitBlt(target, 0, 0, 3, 2, source, 0, 0, SRCCOPY)) << "copied from";
    EXPECT_EQ(0xFF0000u, emuBitmapPixel(copy, 1, 1));
    EXPECT_FALSE(BitBlt(source, 0, 0, 3, 2, target, 0, 0, SRCCOPY)) << "not drawn into";
    EXPECT_FALSE(StretchBlt(source, 0, 0, 3, 2, target, 0, 0, 3, 2, SRCCOPY));
    EXPECT_EQ(CLR_INVALID, SetPixel(source, 0, 0, RGB(1, 2, 3)));
    EXPECT_EQ(3, emuViolationCount()) << violations();
    emuClearViolations();
    SelectObject(source, sourceStock);
    SelectObject(target, targetStock);
    DeleteDC(source);
    DeleteDC(target);
    DeleteObject(copy);
    DeleteObject(b);
    FreeLibrary(m);
}

TEST_F(BuiltModuleTest, BrokenHeadersFailTheLoad)
{
    pebuilder::Layout l;
    Bytes good = image(pebuilder::pe32, emu::IMAGE_FILE_MACHINE_I386, &l);
    bool bitmap = false;
    ASSERT_TRUE(load(good, &bitmap));
    ASSERT_TRUE(bitmap);

    struct Corruption {
        const char *what;
        size_t at;
        int width; // 1, 2 or 4 bytes
        uint32_t value;
    } corruptions[] = {
        {"no MZ", 0, 2, 0x5A4D ^ 0xFFFF},
        {"PE header past the end", 0x3C, 4, 0x7FFFFFF0},
        {"PE header at the very end", 0x3C, 4, (uint32_t)good.size() - 4},
        {"most negative PE offset", 0x3C, 4, 0x80000000},
        {"no PE signature", l.peHeader, 1, 'X'},
        {"unknown optional header", l.optionalHeader, 2, 0x107},
        {"optional header longer than the file", l.peHeader + 20, 2, 0xFFFF},
        {"65535 sections", l.peHeader + 6, 2, 0xFFFF},
        {"resource directory outside every section", l.resourceEntry, 4, 0x00100000},
        {"resource directory at the top of the address space", l.resourceEntry, 4, 0xFFFFFFF0},
    };
    for (const Corruption &c : corruptions) {
        Bytes bad = good;
        if (c.width == 1)
            bad[c.at] = (uint8_t)c.value;
        else if (c.width == 2)
            pebuilder::put16(bad, c.at, c.value);
        else
            pebuilder::put32(bad, c.at, c.value);
        EXPECT_FALSE(load(bad)) << c.what;
        EXPECT_EQ((DWORD)ERROR_BAD_EXE_FORMAT, GetLastError()) << c.what;
    }
    EXPECT_EQ(0, emuLiveCount(EMU_MODULE));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(BuiltModuleTest, ABrokenResourceTreeLoadsWithoutThatResource)
{
    pebuilder::Layout l;
    Bytes good = image(pebuilder::pe32plus, emu::IMAGE_FILE_MACHINE_AMD64, &l);
    struct Corruption {
        const char *what;
        size_t at;
        uint32_t value;
    } corruptions[] = {
        // Directory loops: each level pointing back at the root or at itself.
        {"type entry points at the root", l.resources + 16 + 4, 0x80000000},
        {"name entry points at the root", l.typeDirectory + 16 + 4, 0x80000000},
        {"name entry points at its own directory", l.typeDirectory + 16 + 4,
         0x80000000u | (uint32_t)(l.typeDirectory - l.resources)},
        {"language entry is a directory", l.firstLanguage + 4, 0x80000000},
        // Sizes and offsets that leave the file.
        {"data size of 4 GiB", l.firstDataEntry + 4, 0xFFFFFFFF},
        {"data just one byte too long", l.firstDataEntry + 4, (uint32_t)(good.size() - l.firstData + 1)},
        {"data RVA past the section", l.firstDataEntry, 0x7FFFFFFF},
        {"type directory past the tree", l.resources + 16 + 4, 0x8FFFFFF0},
        {"65535 + 65535 type entries", l.resources + 12, 0xFFFFFFFF},
        {"name string past the end", l.resources + 16, 0xFFFFFFF0},
        // The bitmap itself: huge, negative and zero sizes, its bits cut off.
        {"width of a million", l.firstData + 4, 1000000},
        {"height of a million", l.firstData + 8, 1000000},
        {"most negative height", l.firstData + 8, 0x80000000},
        {"header size of 4 GiB", l.firstData, 0xFFFFFFFF},
        {"bit count of 64", l.firstData + 12, 0x00400001},
    };
    for (const Corruption &c : corruptions) {
        Bytes bad = good;
        pebuilder::put32(bad, c.at, c.value);
        bool bitmap = true;
        EXPECT_TRUE(load(bad, &bitmap)) << c.what << ": the image itself is sound";
        EXPECT_FALSE(bitmap) << c.what;
    }
    EXPECT_EQ(0, emuLiveCount(EMU_BITMAP));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(BuiltModuleTest, AnImageWithoutAResourceDirectoryHasNoResources)
{
    pebuilder::Layout l;
    Bytes good = image(pebuilder::pe32, emu::IMAGE_FILE_MACHINE_I386, &l);
    Bytes noDirectories = good;
    pebuilder::put32(noDirectories, l.resourceEntry - 16 - 4, 2); // only two data directories
    Bytes zeroRva = good;
    pebuilder::put32(zeroRva, l.resourceEntry, 0);
    for (const Bytes *b : {&noDirectories, &zeroRva}) {
        bool bitmap = true;
        EXPECT_TRUE(load(*b, &bitmap));
        EXPECT_FALSE(bitmap);
    }
}

} // namespace
