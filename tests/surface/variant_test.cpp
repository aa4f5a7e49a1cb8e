// The pictures each variant takes: built once for the day and once for the night panel.
#include "support/panelfixture.h"

using namespace testsupport;

namespace {

#if defined(KWENO_NIGHT)
const unsigned NORMAL_OFFSET = 2;      // the normal picture is the second after the pressed one
const uint32_t ICON_COLOUR = 0x000080; // the test skin's bitmap 2
#else
const unsigned NORMAL_OFFSET = 1;      // the normal picture follows the pressed one
const uint32_t ICON_COLOUR = 0x008000; // the test skin's bitmap 1
#endif

using VariantPictures = PanelTest;

TEST_F(VariantPictures, TheNormalPicturesAndTheIconAreTheVariantsOwn)
{
    installSkin();
    select();
    EXPECT_EQ(0x1000 + NORMAL_OFFSET, faceAt(keyX(0, 0), keyY(0)).imageId) << "the lower-case face";

    // The popup of o, held open: its margin is the normal picture, its default cell the pressed one.
    penDown(keyX(0, 8), keyY(0));
    advance(600);
    ASSERT_EQ(1, panel.popupShown);
    const RECT &popup = panel.popupRect;
    PopupPixel margin = decodePopup(emuScreenPixel(popup.left + 3, popup.top + 3));
    PopupPixel cell = decodePopup(emuScreenPixel(popup.left + 10 + 400, popup.top + 40));
    EXPECT_EQ(0x2060 + NORMAL_OFFSET, margin.imageId);
    EXPECT_EQ(0x2060u, cell.imageId);
    EXPECT_EQ(9, cell.cell);
    penUp(keyX(0, 8), keyY(0));

    EXPECT_EQ(ICON_COLOUR, emuImageListPixel(panel.imageList, 0, 10, 16)) << "the panel icon";
}

} // namespace
