// A fleet's own look shipped as the panel's CAB: installed on the emulated device, it puts the
// designer's module at \Windows\KWENO_Resources.dll under the panel's own install, and the panel
// paints from it.
#include "deliverables.h"
#include "looks.h"
#include "wholefile.h"

using SkinnedCab = DeliverableTest;

TEST_P(SkinnedCab, InstallsTheDesignersModuleAndThePanelPaintsItsKeys)
{
    if (!*KWENO_SKINNED_CAB_DIR)
        GTEST_SKIP() << "no device build here to make the skinned CABs from";
    emuReset();
    std::string cab = std::string(KWENO_SKINNED_CAB_DIR) + "/" + GetParam().variant->name + ".cab";
    char problem[256] = "";
    ASSERT_EQ(1, emuInstallCab(cab.c_str(), problem, sizeof problem)) << problem;
    std::vector<uint8_t> skin = wholeFile(KWENO_HIGH_CONTRAST_DLL), installed(skin.size());
    EXPECT_EQ((long long)skin.size(),
              emuReadFile("\\Windows\\KWENO_Resources.dll", installed.data(), installed.size()));
    EXPECT_TRUE(!skin.empty() && skin == installed);

    // The CAB's DLL is the device's; here the panel built for this machine reads the installed module.
    InputPanelHost host;
    load(host);
    ASSERT_EQ(S_OK, host.activate());
    host.pump();
    skin::Picture picture = GetParam().variant == &VARIANTS[VARIANT_NIGHT] ? skin::PICTURE_NIGHT : skin::PICTURE_DAY;
    const skin::Look &high = skin::lookFor(picture, skin::LOOKS[1]), &standard = skin::lookFor(picture, skin::LOOKS[0]);
    // The q key's body, clear of its label, and the gap left of it, on the panel docked at y 388.
    DWORD body = emuScreenPixel(12, 398), gap = emuScreenPixel(1, 398);
    EXPECT_EQ(high.key, body);
    EXPECT_EQ(high.background, gap);
    EXPECT_NE(standard.key, body);
    EXPECT_EQ(S_OK, host.deactivate());
}

INSTANTIATE_TEST_SUITE_P(Deliverables, SkinnedCab, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });
