// Tests of image lists: images copied from bitmaps, masks from a colour, bookkeeping.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include "emu.h"
#include "pebuilder.h"

namespace {

class ImageListTest : public ::testing::Test {
  protected:
    // Pixels are followed by colours that encode their place, which a 16-bit display would round.
    void SetUp() override
    {
        emuReset();
        emuSetScreenDepth(32);
    }

    // A colour bitmap of the given size whose pixel (x, y) is colour(x, y) (0x00RRGGBB).
    static HBITMAP bitmap(int width, int height, uint32_t (*colour)(int, int))
    {
        HDC screen = GetDC(nullptr);
        HBITMAP b = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ stock = SelectObject(dc, b);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint32_t c = colour(x, y);
                SetPixel(dc, x, y, RGB(c >> 16, (c >> 8) & 0xFF, c & 0xFF));
            }
        SelectObject(dc, stock);
        DeleteDC(dc);
        return b;
    }
};

// Magenta on the diagonal and in the right half's first row; the rest tells its place.
uint32_t iconPicture(int x, int y)
{
    return x == y || (x >= 4 && y == 0) ? 0xFF00FF : 0x010000 * x + y;
}

TEST_F(ImageListTest, AddMaskedCopiesTheImagesAndMasksTheColour)
{
    HIMAGELIST list = ImageList_Create(4, 3, ILC_MASK | ILC_COLOR32, 1, 1);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(1, emuLiveCount(EMU_IMAGELIST));
    HBITMAP icons = bitmap(8, 3, iconPicture); // two 4x3 images side by side
    EXPECT_EQ(0, ImageList_AddMasked(list, icons, RGB(255, 0, 255)));
    EXPECT_EQ(2, ImageList_GetImageCount(list));
    EXPECT_TRUE(DeleteObject(icons)) << "the list keeps its own copy";

    for (int image = 0; image < 2; ++image)
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                uint32_t source = iconPicture(4 * image + x, y);
                DWORD expected = source == 0xFF00FF ? EMU_TRANSPARENT : source;
                EXPECT_EQ(expected, emuImageListPixel(list, image, x, y)) << image << ": " << x << "," << y;
            }
    EXPECT_EQ(0xFFFFFFFFu, emuImageListPixel(list, 2, 0, 0)) << "no third image";
    EXPECT_EQ(0xFFFFFFFFu, emuImageListPixel(list, 0, 4, 0));

    HBITMAP more = bitmap(4, 3, iconPicture);
    EXPECT_EQ(2, ImageList_AddMasked(list, more, RGB(255, 0, 255))) << "the index of the first image added";
    EXPECT_EQ(3, ImageList_GetImageCount(list));
    DeleteObject(more);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_EQ(0, emuLiveCount(EMU_IMAGELIST));
    EXPECT_EQ(0, emuViolationCount());
}

TEST_F(ImageListTest, MaskChoicesAndShortBitmaps)
{
    // Without ILC_MASK nothing is transparent.
    HIMAGELIST plain = ImageList_Create(4, 3, ILC_COLOR32, 1, 1);
    HBITMAP icons = bitmap(4, 3, iconPicture);
    ASSERT_EQ(0, ImageList_AddMasked(plain, icons, RGB(255, 0, 255)));
    EXPECT_EQ(0xFF00FFu, emuImageListPixel(plain, 0, 0, 0));

    // CLR_DEFAULT takes the top-left pixel's colour.
    HIMAGELIST masked = ImageList_Create(4, 3, ILC_MASK | ILC_COLOR32, 1, 1);
    ASSERT_EQ(0, ImageList_AddMasked(masked, icons, 0xFF000000));
    EXPECT_EQ(EMU_TRANSPARENT, emuImageListPixel(masked, 0, 1, 1));
    EXPECT_EQ(0x010000u, emuImageListPixel(masked, 0, 1, 0));

    // A bitmap narrower than one image adds nothing; one shorter leaves the rest transparent.
    HIMAGELIST tall = ImageList_Create(4, 5, ILC_MASK | ILC_COLOR32, 1, 1);
    EXPECT_EQ(-1, ImageList_AddMasked(tall, bitmap(3, 5, iconPicture), RGB(255, 0, 255)));
    ASSERT_EQ(0, ImageList_AddMasked(tall, icons, RGB(255, 0, 255)));
    EXPECT_EQ(EMU_TRANSPARENT, emuImageListPixel(tall, 0, 2, 4));
    EXPECT_EQ(0x010002u, emuImageListPixel(tall, 0, 1, 2));
}

// The mask colour, then three that the system palette does not hold.
uint32_t fourColours(int x, int)
{
    static const uint32_t colours[4] = {0xFF00FF, 0xC8C8C8, 0x00E000, 0x123456};
    return colours[x];
}

// Without a colour flag the device makes a list of 16 colours, the system's palette; the mask
// colour's pixels of the bitmap passed in turn black, unless it is a read-only resource bitmap.
TEST_F(ImageListTest, ADefaultListKeepsSixteenColoursAndBlackensTheMaskInTheBitmap)
{
    HIMAGELIST list = ImageList_Create(4, 1, ILC_MASK, 1, 1);
    HBITMAP writable = bitmap(4, 1, fourColours);
    ASSERT_EQ(0, ImageList_AddMasked(list, writable, RGB(255, 0, 255)));
    std::vector<DWORD> kept;
    for (int x = 0; x < 4; ++x)
        kept.push_back(emuImageListPixel(list, 0, x, 0));
    EXPECT_EQ((std::vector<DWORD>{EMU_TRANSPARENT, 0xC0C0C0, 0x00FF00, 0x000080}), kept) << "nearest of the 16";
    EXPECT_EQ(0u, emuBitmapPixel(writable, 0, 0)) << "the mask colour of the bitmap passed in is black now";
    EXPECT_EQ(0xC8C8C8u, emuBitmapPixel(writable, 1, 0));

    std::vector<pebuilder::Resource> resources = {{2, 1, pebuilder::dib24(4, 1, fourColours), u"", u""}};
    pebuilder::Bytes module = pebuilder::build(resources, pebuilder::pe32, emu::IMAGE_FILE_MACHINE_ARM);
    emuRegisterModule("\\Windows\\icons.dll", module.data(), module.size());
    HMODULE icons = LoadLibraryExW(L"\\Windows\\icons.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HBITMAP readOnly = LoadBitmapW(icons, MAKEINTRESOURCEW(1));
    ASSERT_NE(nullptr, readOnly);
    ASSERT_EQ(1, ImageList_AddMasked(list, readOnly, RGB(255, 0, 255)));
    EXPECT_EQ(EMU_TRANSPARENT, emuImageListPixel(list, 1, 0, 0)) << "the mask is made all the same";
    EXPECT_EQ(0xFF00FFu, emuBitmapPixel(readOnly, 0, 0)) << "a read-only bitmap cannot be changed";
    EXPECT_EQ(0, emuViolationCount());
    DeleteObject(readOnly);
    FreeLibrary(icons);
    ImageList_Destroy(list);
}

TEST_F(ImageListTest, BadArgumentsFailAndBadHandlesAreViolations)
{
    EXPECT_EQ(nullptr, ImageList_Create(0, 32, ILC_MASK, 1, 1));
    EXPECT_EQ(nullptr, ImageList_Create(32, -1, ILC_MASK, 1, 1));
    EXPECT_EQ(0, emuViolationCount());

    HIMAGELIST list = ImageList_Create(2, 2, ILC_MASK, 1, 1);
    HBITMAP b = bitmap(2, 2, iconPicture);
    ASSERT_TRUE(DeleteObject(b));
    EXPECT_EQ(-1, ImageList_AddMasked(list, b, 0)) << "a deleted bitmap";
    EXPECT_EQ(1, emuViolationCount());
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list)) << "destroyed twice";
    EXPECT_EQ(0, ImageList_GetImageCount(list));
    EXPECT_FALSE(ImageList_Destroy(nullptr));
    EXPECT_EQ(4, emuViolationCount());

    emuFailCall("ImageList_Create", 1);
    EXPECT_EQ(nullptr, ImageList_Create(2, 2, ILC_MASK, 1, 1));
    EXPECT_EQ(0, emuLiveCount(EMU_IMAGELIST));
}

} // namespace
