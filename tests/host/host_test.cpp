// Tests of the host on the emulation, with the fake input method: lifecycle, placement, rotation,
// typing through the pen, and the unload rule.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include <emu.h>

#include "../support/expectcalls.h"
#include "fakeclsid.h"
#include "../support/rects.h"
#include "cabinets.h"
#include "host.h"

static CLSID fakeClassId()
{
    CLSID clsid;
    EXPECT_TRUE(clsidFromText(fakeClsidText, &clsid));
    return clsid;
}

static std::string methodsOf(const InputPanelHost &host)
{
    std::string text;
    for (const MethodResult &r : host.results())
        text += r.method + (r.result == S_OK ? "" : "!") + " ";
    return text;
}

class HostTest : public ::testing::Test {
  protected:
    void SetUp() override { emuReset(); }
    void TearDown() override
    {
        EXPECT_EQ(0, emuLiveCount(EMU_WINDOW)) << "windows left behind";
        EXPECT_EQ(0, emuLiveCount(EMU_CLASS)) << "window classes left registered";
        for (int i = 0; i < emuViolationCount(); ++i)
            ADD_FAILURE() << emuViolation(i);
    }
};

TEST_F(HostTest, ActivationDrivesThePanelInOrderAndDocksItAtTheBottom)
{
    InputPanelHost host;
    ASSERT_EQ(S_OK, host.load(FAKE_INPUTMETHOD_PATH, fakeClassId())) << host.error();
    ASSERT_EQ(S_OK, host.activate());
    EXPECT_EQ("Select RegisterCallback GetInfo ReceiveSipInfo Showing ", methodsOf(host))
        << "the SetImInfo inside GetInfo must not place the window a second time";
    EXPECT_EQ("{0, 388, 480, 640}", rectText(host.windowRect()));
    EXPECT_TRUE(IsWindowVisible(host.window()));
    EXPECT_EQ(DWORD(SIPF_ON | SIPF_DOCKED), host.imInfo().fdwFlags);
    ASSERT_EQ(1u, host.calls().size());
    EXPECT_EQ(HostCall::SET_IM_INFO, host.calls()[0].function);

    EXPECT_EQ(S_OK, host.deactivate());
    EXPECT_FALSE(IsWindowVisible(host.window()));
    EXPECT_EQ("Hiding", host.results()[host.results().size() - 2].method);
    EXPECT_EQ("Deselect", host.results().back().method);
}

TEST_F(HostTest, PenTapsAtScreenPointsTypeIntoTheField)
{
    InputPanelHost host;
    ASSERT_EQ(S_OK, host.load(FAKE_INPUTMETHOD_PATH, fakeClassId())) << host.error();
    ASSERT_EQ(S_OK, host.activate());
    host.callback().clearCalls();
    host.tap(24, 388 + 31);  // q
    host.tap(24, 388 + 31);  // q again: the tap's pause keeps it from being a bounce
    host.tap(36, 388 + 157); // shift
    host.tap(72, 388 + 31);  // W

    static const ExpectedCall qqShiftW[] = {
        {HostCall::SEND_CHAR_EVENTS, 0x51, 0x00000080, 0x00000080, u"q"},
        {HostCall::SEND_CHAR_EVENTS, 0x51, 0x00010040, 0x00010040, u"q"},
        {HostCall::SEND_CHAR_EVENTS, 0x51, 0x00000080, 0x00000080, u"q"},
        {HostCall::SEND_CHAR_EVENTS, 0x51, 0x00010040, 0x00010040, u"q"},
        {HostCall::SEND_CHAR_EVENTS, 0x57, 0x20000080, 0x20000080, u"W"},
        {HostCall::SEND_CHAR_EVENTS, 0x57, 0x20010040, 0x20010040, u"W"},
    };
    EXPECT_TRUE(callsAre(host.calls(), qqShiftW));
    EXPECT_EQ("qqW", host.text());
    EXPECT_EQ(DWORD(4 * 130), GetTickCount()) << "four taps of 30 ms down and 100 ms after";
}

TEST_F(HostTest, RotationRedocksTheWindowWhereThePanelSaysItGoes)
{
    InputPanelHost host;
    ASSERT_EQ(S_OK, host.load(FAKE_INPUTMETHOD_PATH, fakeClassId())) << host.error();
    ASSERT_EQ(S_OK, host.activate());
    host.callback().clearCalls();

    host.rotate(640, 480);
    EXPECT_EQ("{0, 264, 640, 480}", rectText(host.windowRect()));
    static const ExpectedCall dockedNotOn[] = {{HostCall::SET_IM_INFO, 0, SIPF_DOCKED, 0, u""}};
    EXPECT_TRUE(callsAre(host.calls(), dockedNotOn));
    EXPECT_EQ("ReceiveSipInfo", host.results().back().method);
    EXPECT_EQ("{0, 264, 640, 480}", rectText(host.calls()[0].rect));

    host.rotate(480, 640);
    EXPECT_EQ("{0, 388, 480, 640}", rectText(host.windowRect()));
    host.callback().clearCalls();
    host.tap(24, 388 + 31);
    EXPECT_EQ("q", host.text()) << "the keyboard follows the window back";
}

TEST_F(HostTest, TheModuleStaysLoadedWhileItHoldsObjects)
{
    InputPanelHost host;
    ASSERT_EQ(S_OK, host.load(FAKE_INPUTMETHOD_PATH, fakeClassId())) << host.error();
    IClassFactory *factory = nullptr;
    ASSERT_EQ(S_OK, host.module().getClassObject(fakeClassId(), iidIClassFactory, reinterpret_cast<void **>(&factory)));
    ASSERT_EQ(S_OK, host.activate());
    EXPECT_EQ(S_OK, host.deactivate());

    EXPECT_EQ(S_FALSE, host.unload()) << "a factory is still alive";
    EXPECT_TRUE(host.module().loaded());
    EXPECT_EQ(nullptr, host.inputMethod()) << "the object itself was released";
    ASSERT_EQ(S_OK, host.load(FAKE_INPUTMETHOD_PATH, fakeClassId())) << "the kept module serves again";
    ASSERT_EQ(S_OK, host.activate());
    EXPECT_EQ(S_OK, host.deactivate());
    factory->Release();
    EXPECT_EQ(S_OK, host.unload());
    EXPECT_FALSE(host.module().loaded());
}

TEST_F(HostTest, APanelCanBeLoadedAgainAfterItWasUnloaded)
{
    InputPanelHost host;
    for (int round = 1; round <= 2; ++round) {
        ASSERT_EQ(S_OK, host.load(FAKE_INPUTMETHOD_PATH, fakeClassId())) << "round " << round << ": " << host.error();
        ASSERT_EQ(S_OK, host.activate()) << "round " << round;
        host.field().clear();
        host.tap(120, 388 + 31);
        EXPECT_EQ("e", host.text()) << "round " << round;
        EXPECT_EQ(S_OK, host.deactivate());
        EXPECT_EQ(0u, host.release());
        EXPECT_EQ(S_OK, host.unload()) << "round " << round;
    }
}

TEST_F(HostTest, LoadFailuresSayWhichStepFailed)
{
    InputPanelHost host;
    EXPECT_EQ(E_FAIL, host.load("no-such-input-method.so", fakeClassId()));
    EXPECT_FALSE(host.error().empty());
    EXPECT_FALSE(host.module().loaded());

    CLSID other;
    ASSERT_TRUE(clsidFromText("{91C40DFC-6B41-456F-A2E4-4AA7363198B7}", &other));
    EXPECT_EQ(E_FAIL, host.load(FAKE_INPUTMETHOD_PATH, other));
    EXPECT_EQ("CreateInstance failed", host.error());
    EXPECT_EQ(nullptr, host.inputMethod());
    EXPECT_EQ(E_POINTER, host.select()) << "no object to call";
    EXPECT_EQ(S_OK, host.unload()) << "the failed attempt left no object behind";
}

static std::string utf16le(const std::u16string &text)
{
    std::string bytes;
    for (char16_t c : text)
        bytes += {(char)(c & 0xFF), (char)(c >> 8)};
    return bytes;
}

// What HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 holds, and the path or the reason the host reads.
TEST_F(HostTest, TheRegistryNamesTheModuleOfAClass)
{
    const std::string key = std::string("HKEY_CLASSES_ROOT\\CLSID\\") + fakeClsidText + "\\InprocServer32";
    const struct {
        const char *value; // null: no key at all
        DWORD type;
        std::string data;
        std::string expected; // the path, or the reason after the key's name
    } rows[] = {
        {"", REG_SZ, utf16le(u"\\Windows\\fake.dll") + std::string(2, '\0'), "\\Windows\\fake.dll"},
        {"", REG_SZ, utf16le(u"\\Windows\\fake.dll"), "\\Windows\\fake.dll"}, // no terminator
        {nullptr, REG_SZ, "", " in the registry"},
        {"Other", REG_SZ, utf16le(u"x"), " has no default value"},
        {"", REG_DWORD, "1234", ": its default value is not a string (type 4)"},
        {"", REG_SZ, std::string(2, '\0'), " names no module"},
        {"", REG_SZ, utf16le(std::u16string(300, u'x')), ": its default value cannot be read (error 234)"},
    };
    for (const auto &row : rows) {
        emuReset();
        if (row.value)
            emuRegSetRaw(key.c_str(), row.value, row.type, row.data.data(), (DWORD)row.data.size());
        std::string path = "untouched", error;
        bool found = serverOfClass(fakeClassId(), &path, &error);
        EXPECT_EQ(row.expected[0] == '\\', found) << row.expected;
        if (found)
            EXPECT_EQ(row.expected, path);
        else
            EXPECT_EQ((row.value ? key : "no " + key) + row.expected, error);
        EXPECT_EQ(0, emuLiveCount(EMU_KEY)) << "the key is closed again";
    }
}

// kweno-host.exe stands a window for the handheld's screen, the one the emulation starts with.
TEST(DeviceScreen, IsTheOneTheEmulationStartsWith)
{
    emuReset();
    EXPECT_EQ(DEVICE_SCREEN_WIDTH, emuScreenWidth());
    EXPECT_EQ(DEVICE_SCREEN_HEIGHT, emuScreenHeight());
}

// The device build's cabinet registers the day panel at \Windows\kweno.dll; the host finds it there
// and asks the platform's loader for it.
TEST_F(HostTest, AnInstalledCabinetNamesThePanelForThePlatformsLoader)
{
    std::string cabinet = cabinets::of(installation::ofVariant(VARIANTS[VARIANT_DAY], "1.2.3"), {'M', 'Z'});
    char problem[128];
    ASSERT_EQ(1, emuInstallCab(cabinet.c_str(), problem, sizeof problem)) << problem;
    remove(cabinet.c_str());
    CLSID day;
    ASSERT_TRUE(clsidFromText("{91C40DFC-6B41-456F-A2E4-4AA7363198B7}", &day));
    std::string path, error;
    ASSERT_TRUE(serverOfClass(day, &path, &error)) << error;
    EXPECT_EQ("\\Windows\\kweno.dll", path);

    InputPanelHost host;
    EXPECT_EQ(E_FAIL, host.loadClass(day));
    // The member is two bytes, no image of code for any processor: refused as the device refuses it.
    EXPECT_EQ(0u, host.error().find("LoadLibraryW(\\Windows\\kweno.dll) failed with error 193"))
        << "ERROR_BAD_EXE_FORMAT, not " << host.error();
    EXPECT_EQ(0, emuViolationCount()) << (emuViolationCount() ? emuViolation(0) : "");

    emuRegSetString("HKCR\\CLSID\\{91C40DFC-6B41-456F-A2E4-4AA7363198B7}\\InprocServer32", "", REG_SZ,
                    "\\Windows\\gone.dll");
    EXPECT_EQ(E_FAIL, host.loadClass(day));
    EXPECT_EQ(0u, host.error().find("LoadLibraryW(\\Windows\\gone.dll) failed with error 126"))
        << "ERROR_MOD_NOT_FOUND, not " << host.error();
    EXPECT_FALSE(host.module().loaded());
}

// The device's host as it starts: the input method DefaultIm names when it is registered and starts,
// else the device's own (the fake again, from its own path), and the log says why.
TEST_F(HostTest, AtStartTheHostTakesWhatDefaultImNamesOrItsOwn)
{
    const std::string fake = fakeClsidText, classKey = "HKCR\\CLSID\\" + fake,
                      other = "{00000000-0000-0000-0000-000000000001}";
    const struct {
        const char *defaultIm;  // null: none
        std::string registered; // the class marked as an input method, with the fake as its server
        const char *server;
        std::string log; // the first line's beginning; the device's own is started after any other
    } rows[] = {
        {fakeClsidText, fake, FAKE_INPUTMETHOD_PATH,
         "started the current input method " + fake + " from " + FAKE_INPUTMETHOD_PATH},
        {nullptr, fake, FAKE_INPUTMETHOD_PATH, "no HKEY_CURRENT_USER\\ControlPanel\\Sip in the registry"},
        {"fake", fake, FAKE_INPUTMETHOD_PATH, "DefaultIm \"fake\" is not a class identifier"},
        {fakeClsidText, "", FAKE_INPUTMETHOD_PATH, "DefaultIm names " + fake + ", which is no registered input method"},
        {fakeClsidText, fake, "\\Windows\\gone.dll",
         fake + " does not start: LoadLibraryW(\\Windows\\gone.dll) failed with error 126"},
        {other.c_str(), other, FAKE_INPUTMETHOD_PATH, other + " does not start: CreateInstance failed"},
    };
    for (const auto &row : rows) {
        emuReset();
        if (row.defaultIm)
            emuRegSetString("ControlPanel\\Sip", "DefaultIm", REG_SZ, row.defaultIm);
        if (!row.registered.empty()) {
            emuRegSetString(("HKCR\\CLSID\\" + row.registered + "\\InprocServer32").c_str(), "", REG_SZ, row.server);
            emuRegSetString(("HKCR\\CLSID\\" + row.registered + "\\IsSIPInputMethod").c_str(), "", REG_SZ, "1");
        }
        InputPanelHost host;
        ASSERT_EQ(S_OK, host.startCurrentInputMethod(FAKE_INPUTMETHOD_PATH, fakeClassId())) << row.log;
        ASSERT_FALSE(host.log().empty());
        EXPECT_EQ(row.log, host.log()[0].substr(0, row.log.size())) << host.log()[0];
        bool own = row.log.compare(0, 7, "started") != 0;
        EXPECT_EQ(own ? 2u : 1u, host.log().size()) << row.log;
        if (own)
            EXPECT_EQ("started the device's own input method " + fake, host.log().back());
        EXPECT_EQ(fake, host.currentInputMethod());
        host.tap(24, 419);
        EXPECT_EQ("q", host.text()) << row.log << ": the one started types";
    }
}

TEST_F(HostTest, DestroyingAnActiveHostTakesThePanelDown)
{
    {
        InputPanelHost host(HostOptions{true, false});
        ASSERT_EQ(S_OK, host.load(FAKE_INPUTMETHOD_PATH, fakeClassId())) << host.error();
        ASSERT_EQ(S_OK, host.activate());
        EXPECT_TRUE(IsWindow(host.applicationWindow()));
        EXPECT_EQ(3, emuLiveCount(EMU_WINDOW)) << "host, application and the panel's keyboard";
    }
    // The fixture checks that no window or class is left.
}

TEST(ClsidFromText, ReadsTheRegistryFormWithOrWithoutBraces)
{
    CLSID clsid;
    ASSERT_TRUE(clsidFromText("{5956CDC6-4A6D-4d26-BC6E-6CBF5C8043F0}", &clsid));
    EXPECT_EQ(0x5956CDC6u, clsid.Data1);
    EXPECT_EQ(0x4A6D, clsid.Data2);
    EXPECT_EQ(0x4D26, clsid.Data3);
    EXPECT_EQ(0xBC, clsid.Data4[0]);
    EXPECT_EQ(0xF0, clsid.Data4[7]);
    CLSID bare;
    ASSERT_TRUE(clsidFromText("5956cdc6-4a6d-4d26-bc6e-6cbf5c8043f0", &bare));
    EXPECT_EQ(0, memcmp(&clsid, &bare, sizeof clsid));

    static const char *const malformed[] = {
        "",
        "{5956CDC6-4A6D-4D26-BC6E-6CBF5C8043F0",
        "5956CDC6-4A6D-4D26-BC6E-6CBF5C8043F0}",
        "{5956CDC6-4A6D-4D26-BC6E6CBF5C8043F0}",
        "{5956CDC6-4A6D-4D26-BC6E-6CBF5C8043F}",
        "{5956CDC6-4A6D-4D26-BC6E-6CBF5C8043F00}",
        "{5956CDC6-4A6D-4D26-BC6E-6CBF5C8043FG}",
    };
    for (const char *text : malformed) {
        CLSID untouched = bare;
        EXPECT_FALSE(clsidFromText(text, &untouched)) << text;
        EXPECT_EQ(0, memcmp(&untouched, &bare, sizeof bare)) << "left alone on failure: " << text;
    }
}
