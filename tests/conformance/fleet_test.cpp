// A fleet's life with the panel, on the device's own DLLs from their CABs: made the current input
// method by its provisioning CAB, upgraded in place while typing, both variants side by side, and
// everything removed again, each step ended by a soft reset after which the device's input-panel
// host starts what DefaultIm names.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "../host/fakeclsid.h"
#include "deliverables.h"
#include "installation.h"
#include "looks.h"

namespace {

// The session each input method types, the panel and the device's own alike: the one-shot shift,
// then the top row's first six letters.
const ScreenPoint keyShift = {36, 545};
const int topRowY = 419, topRowFirstX = 24, keyWidth = 48;
const char session[] = "Qwertz";
// Behind every window, so that where the keyboard is not drawn shows.
const DWORD desktop = 0x123456;

const Deliverable &day = deliverables[VARIANT_DAY];
const Deliverable &night = deliverables[VARIANT_NIGHT];

std::string dllOf(const Deliverable &variant)
{
    return std::string(variant.variant->name) + ".dll";
}

std::string deviceFile(const char *folder, const std::string &name)
{
    return std::string(folder) + "/" + name;
}

// The version the device's file properties show for a file of \Windows.
std::string versionOf(const std::string &name)
{
    std::string path = "\\Windows\\" + name;
    long long size = emuReadFile(path.c_str(), nullptr, 0);
    std::vector<uint8_t> bytes(size > 0 ? (size_t)size : 0);
    emuReadFile(path.c_str(), bytes.data(), bytes.size());
    EmuModuleFile file;
    emuInspectModuleFile(bytes.data(), bytes.size(), &file);
    return file.fileVersionText;
}

class Fleet : public ::testing::Test {
  protected:
    void SetUp() override
    {
        if (!*KWENO_DEVICE_FOLDER)
            GTEST_SKIP() << "no CABs of the device's DLLs in this build";
        emuReset();
        before_ = emuRegistryText();
    }
    void TearDown() override
    {
        host_.reset();
        reportViolations();
    }

    // A CAB of the device folder (or another) installed as a device-management tool sends it.
    int install(const std::string &cab, const char *folder = KWENO_DEVICE_FOLDER)
    {
        char problem[256] = "";
        int result = emuInstallCab(deviceFile(folder, cab + ".cab").c_str(), problem, sizeof problem);
        EXPECT_NE(0, result) << cab << ": " << problem;
        return result;
    }

    // The device restarts: the host goes with every process, and starts again on what DefaultIm
    // names, the fake input method standing for the device's own.
    void softReset()
    {
        host_.reset();
        emuSoftReset();
        emuSetDesktopColour(desktop);
        host_ = std::make_unique<InputPanelHost>();
        CLSID own;
        ASSERT_TRUE(clsidFromText(fakeClsidText, &own));
        ASSERT_EQ(S_OK, host_->startCurrentInputMethod(FAKE_INPUTMETHOD_PATH, own));
        // The panel that DefaultIm names starts docked and hidden; the user raises it with the
        // input-panel button.
        if (!host_->shown())
            ASSERT_EQ(S_OK, host_->show());
        host_->pump();
    }

    // The current input method is the variant's, from its DLL in \Windows, and types the session.
    void expectCurrentAndTyping(const Deliverable &variant, const std::string &context)
    {
        EXPECT_EQ(lowered(variant.clsidText()), lowered(host_->currentInputMethod())) << context;
        EXPECT_EQ("\\Windows\\" + std::string(variant.variant->name) + ".dll", host_->module().path()) << context;
        expectTyping(context);
    }

    void expectTyping(const std::string &context)
    {
        std::string before = host_->text();
        host_->tap(keyShift.x, keyShift.y);
        for (int i = 0; i < 6; ++i)
            host_->tap(topRowFirstX + keyWidth * i, topRowY);
        EXPECT_EQ(before + session, host_->text()) << context << ": " << ::testing::PrintToString(host_->log());
    }

    // Every fourth pixel of the panel's part of the screen, where the keyboard is docked.
    static std::vector<DWORD> keyboardPixels()
    {
        std::vector<DWORD> pixels;
        for (int y = 388; y < 640; y += 4)
            for (int x = 0; x < 480; x += 4)
                pixels.push_back(emuScreenPixel(x, y));
        return pixels;
    }

    // Class identifiers and registry names compare without regard to case.
    static std::string lowered(std::string text)
    {
        for (char &c : text)
            c = (char)tolower((unsigned char)c);
        return text;
    }

    std::string before_;
    std::unique_ptr<InputPanelHost> host_;
};

// The q key's body, clear of its label, on the panel docked at the foot of the screen.
const int keyBodyX = 12, keyBodyY = 398;

// (a) The product CAB and the provisioning CAB: after the reset the host starts the panel.
TEST_F(Fleet, TheProvisioningCabMakesThePanelCurrentAtTheNextReset)
{
    EXPECT_EQ(EMU_INSTALLED, install(day.variant->name));
    EXPECT_EQ(EMU_INSTALLED, install(std::string(day.variant->name) + "_current"));
    softReset();
    expectCurrentAndTyping(day, "after the reset");
    EXPECT_EQ(0u, host_->log()[0].find("started the current input method"));
}

// (b) A newer build of the same CAB while the panel types: a restart is needed, the old panel works
// on until it, and then the new one is loaded and types.
TEST_F(Fleet, AnUpgradeWhileThePanelTypesTakesItsPlaceAtTheReset)
{
    install(day.variant->name);
    install(std::string(day.variant->name) + "_current");
    softReset();
    expectCurrentAndTyping(day, "the first build");
    ASSERT_EQ(KWENO_VERSION, versionOf(dllOf(day)));

    char problem[256] = "";
    std::string upgrade = deviceFile(KWENO_UPGRADE_FOLDER, std::string(day.variant->name) + ".cab");
    EXPECT_EQ(EMU_RESTART_REQUIRED, emuInstallCab(upgrade.c_str(), problem, sizeof problem)) << problem;
    EXPECT_STREQ("You must restart the device to complete the installation", problem);
    expectTyping("the old panel, before the reset");
    EXPECT_EQ(KWENO_VERSION, versionOf(dllOf(day))) << "replaced only at the reset";

    softReset();
    expectCurrentAndTyping(day, "the upgrade");
    for (const installation::File &file : installation::ofVariant(*day.variant, KWENO_VERSION).files)
        EXPECT_EQ(KWENO_NEXT_VERSION, versionOf(file.name)) << file.name;
    std::vector<std::string> installs;
    for (int i = 0; emuInstalledApp(i); ++i)
        installs.push_back(emuInstalledApp(i));
    EXPECT_EQ((std::vector<std::string>{installation::CURRENT_APP_NAME, installation::PRODUCT_APP_NAME}), installs)
        << "the upgrade took the old install's place, not one beside it";
}

// (c) Both variants from the one CAB, night current, then day; then the day CAB alone in place of
// both: each time the current one shows its own keyboard and types.
TEST_F(Fleet, BothVariantsSideBySideAndOneOfThemRemoved)
{
    install(std::string(day.variant->name) + "_both");
    install(std::string(night.variant->name) + "_current");
    softReset();
    expectCurrentAndTyping(night, "night");
    std::vector<DWORD> nightKeyboard = keyboardPixels();

    install(std::string(day.variant->name) + "_current");
    softReset();
    expectCurrentAndTyping(day, "day");
    std::vector<DWORD> dayKeyboard = keyboardPixels();
    EXPECT_NE(nightKeyboard, dayKeyboard) << "each shows its own pictures";
    for (const std::vector<DWORD> *keyboard : {&nightKeyboard, &dayKeyboard})
        EXPECT_LT(std::count(keyboard->begin(), keyboard->end(), desktop), (long)keyboard->size() / 10)
            << "the keyboard covers the panel's part of the screen";

    // The day CAB takes the place of both: night's DLL and class go, the resource module stays.
    EXPECT_EQ(EMU_RESTART_REQUIRED, install(day.variant->name)) << "the resource module the panel holds";
    softReset();
    expectCurrentAndTyping(day, "day alone");
    EXPECT_EQ(dayKeyboard, keyboardPixels());
    EXPECT_EQ(-1, emuReadFile(("\\Windows\\" + dllOf(night)).c_str(), nullptr, 0));
    EXPECT_EQ(std::string::npos, lowered(emuRegistryText()).find(lowered(night.clsidText())));
}

// (d) Every install removed by its name, as a remote UnInstall names it: after the reset nothing of
// the panel is left, the registry is as before the first install, and the device's own input method
// types.
TEST_F(Fleet, RemovingEverythingLeavesTheDeviceAsItWas)
{
    install(std::string(day.variant->name) + "_both");
    install(std::string(night.variant->name) + "_current");
    softReset();
    expectCurrentAndTyping(night, "installed");

    char problem[256] = "";
    EXPECT_EQ(EMU_INSTALLED, emuUninstall(installation::CURRENT_APP_NAME, problem, sizeof problem)) << problem;
    EXPECT_EQ(EMU_RESTART_REQUIRED, emuUninstall(installation::PRODUCT_APP_NAME, problem, sizeof problem))
        << "the panel's files are in use";
    EXPECT_EQ(nullptr, emuInstalledApp(0));
    softReset();
    for (const installation::File &file : installation::ofVariants({day.variant, night.variant}, KWENO_VERSION).files)
        EXPECT_EQ(-1, emuReadFile(("\\Windows\\" + file.name).c_str(), nullptr, 0)) << file.name;
    EXPECT_EQ(before_, emuRegistryText());
    EXPECT_EQ(fakeClsidText, host_->currentInputMethod());
    EXPECT_EQ("no HKEY_CURRENT_USER\\ControlPanel\\Sip in the registry", host_->log()[0]);
    expectTyping("the device's own input method");
}

// A fleet's own look over the standard install: the skinned CAB is the same install, so it takes
// the standard one's place as an upgrade does; after the reset the panel paints the skin's pictures
// and types, and removing it leaves nothing of the panel.
TEST_F(Fleet, TheSkinnedCabReplacesTheStandardOneAndGoesWithoutATrace)
{
    if (!*KWENO_SKINNED_CAB_DIR)
        GTEST_SKIP() << "no skinned CABs in this build";
    install(day.variant->name);
    install(std::string(day.variant->name) + "_current");
    softReset();
    expectCurrentAndTyping(day, "the standard look");
    const skin::Look &standard = skin::lookFor(skin::PICTURE_DAY),
                     &high = skin::lookFor(skin::PICTURE_DAY, skin::LOOKS[1]);
    ASSERT_EQ(standard.key, emuScreenPixel(keyBodyX, keyBodyY));

    EXPECT_EQ(EMU_RESTART_REQUIRED, install(day.variant->name, KWENO_SKINNED_CAB_DIR))
        << "the panel holds the resource module";
    EXPECT_EQ(standard.key, emuScreenPixel(keyBodyX, keyBodyY)) << "the old pictures until the reset";
    softReset();
    expectCurrentAndTyping(day, "the skin");
    EXPECT_EQ(high.key, emuScreenPixel(keyBodyX, keyBodyY));
    std::vector<std::string> installs;
    for (int i = 0; emuInstalledApp(i); ++i)
        installs.push_back(emuInstalledApp(i));
    EXPECT_EQ((std::vector<std::string>{installation::CURRENT_APP_NAME, installation::PRODUCT_APP_NAME}), installs);

    char problem[256] = "";
    EXPECT_EQ(EMU_INSTALLED, emuUninstall(installation::CURRENT_APP_NAME, problem, sizeof problem)) << problem;
    emuUninstall(installation::PRODUCT_APP_NAME, problem, sizeof problem);
    softReset();
    for (const installation::File &file : installation::ofVariant(*day.variant, KWENO_VERSION).files)
        EXPECT_EQ(-1, emuReadFile(("\\Windows\\" + file.name).c_str(), nullptr, 0)) << file.name;
    EXPECT_EQ(before_, emuRegistryText());
}

} // namespace
