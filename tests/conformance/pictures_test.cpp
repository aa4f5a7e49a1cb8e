// Conformance: the pictures on screen are the module's image files as the shell's loader decodes
// them, and a module that keeps them as bitmap resources shows no keyboard at all.
#include <gtest/gtest.h>

#include <aygshell.h>

#include <cstring>
#include <functional>

#include "deliverables.h"

namespace {

using Pictures = DeliverableTest;

// How far the variant's normal picture follows the pressed one.
LONG normalOffset(const Deliverable &d)
{
    return d.variant->normalImageOffset;
}

// A colour as the 16-bit (5-6-5) display keeps it: each channel cut to its bits and read back
// widened, its bits repeated.
DWORD onDisplay(DWORD rgb)
{
    auto channel = [rgb](int shift, int bits) {
        DWORD v = (rgb >> (shift + 8 - bits)) & ((1u << bits) - 1);
        return ((v << (8 - bits)) | (v << (8 - bits) >> bits)) << shift;
    };
    return channel(16, 5) | channel(8, 6) | channel(0, 5);
}

// Screen pixels of the rectangle at (x, y) that differ from what expected(dx, dy) says.
int differingPixels(int x, int y, int width, int height, const std::function<DWORD(int, int)> &expected)
{
    int wrong = 0;
    for (int dy = 0; dy < height; ++dy)
        for (int dx = 0; dx < width; ++dx)
            wrong += emuScreenPixel(x + dx, y + dy) != onDisplay(expected(dx, dy));
    return wrong;
}

// What the display shows is the module's picture, as far as its 16 bits keep it. The portrait
// panel is docked at y 388 of the 480x640 screen; the o key's popup of nine cells
// stands clamped at x 5, its lower edge 5 pixels above the key's row, the default (last) cell
// highlighted at x 394 to 441 of the popup.
TEST_P(Pictures, TheKeyboardAndThePopupShowTheModulesPictures)
{
    InputPanelHost host;
    load(host);
    ASSERT_EQ(S_OK, host.activate());
    host.pump();
    HMODULE skin = LoadLibraryExW(L"\\Windows\\KWENO_Resources.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, skin);
    LONG offset = normalOffset(GetParam());
    HBITMAP face = SHLoadImageResource(skin, (UINT)(0x1000 + offset));
    ASSERT_NE(nullptr, face);
    EXPECT_EQ(0, differingPixels(0, 388, 480, 252, [&](int x, int y) { return emuBitmapPixel(face, x, y); }))
        << "the lower-case face";

    host.penDown(408, 419);
    host.advance(600);
    HBITMAP normal = SHLoadImageResource(skin, (UINT)(0x2060 + offset));
    HBITMAP pressed = SHLoadImageResource(skin, 0x2060);
    ASSERT_TRUE(normal && pressed);
    auto popupPixel = [&](int x, int y) {
        bool highlighted = x >= 394 && x <= 441 && y >= 10 && y < 73;
        return emuBitmapPixel(highlighted ? pressed : normal, x, y);
    };
    EXPECT_EQ(0, differingPixels(5, 300, 452, 83, popupPixel)) << "the popup of o, its default cell highlighted";
    host.penUp(408, 419);

    for (HBITMAP b : {face, normal, pressed})
        DeleteObject(b);
    FreeLibrary(skin);
    EXPECT_EQ(S_OK, host.deactivate());
}

// The device's image loader reads only image files under the type "GIF": faces and popups kept as
// bitmap resources give it nothing, so nothing is drawn, while the keys still type.
TEST_P(Pictures, FacesStoredAsBitmapResourcesDrawNothing)
{
    emuMapFolder("\\Windows", KWENO_BITMAP_SKIN_DIR);
    InputPanelHost host;
    load(host);
    ASSERT_EQ(S_OK, host.activate());
    host.pump();
    host.tap(24, 419);
    EXPECT_EQ("q", host.text());
    DWORD desktop = emuScreenPixel(0, 0);
    // Only the stock bitmap's single pixel can come from the panel's empty face context.
    int drawn = differingPixels(0, 388, 480, 252, [&](int, int) { return desktop; });
    EXPECT_LE(drawn, 1) << "pixels of the keyboard that are not the desktop";
    EXPECT_EQ(S_OK, host.deactivate());
}

INSTANTIATE_TEST_SUITE_P(Deliverables, Pictures, ::testing::ValuesIn(deliverables),
                         [](const ::testing::TestParamInfo<Deliverable> &info) { return info.param.name; });

} // namespace
