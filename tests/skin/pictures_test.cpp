// What the generator draws: labels inside their keys, keys apart from their gaps, modes told apart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>

#include "catalogue.h"
#include "font.h"
#include "pictures.h"

using namespace skin;

namespace {

class Pictures : public ::testing::Test {
  protected:
    static void SetUpTestSuite()
    {
        font = new Font;
        ASSERT_EQ("", font->open(KWENO_SKIN_FONT));
    }
    static void TearDownTestSuite()
    {
        delete font;
        font = nullptr;
    }
    static Font *font;
};

Font *Pictures::font = nullptr;

struct Rect {
    LONG left, top, right, bottom; // inclusive, as the panel copies them
};

std::vector<Rect> keyRects(const FaceEntry &face)
{
    std::vector<Rect> rects;
    for (int row = 0; row < ROW_COUNT; ++row) {
        for (const KeyRecord *key = (*face.layout)[row]; !isSentinel(*key); ++key)
            rects.push_back({key->left, face.rows[row], key->right, face.rows[row + 1] - 1});
    }
    return rects;
}

double colourDistance(uint32_t a, uint32_t b)
{
    double dr = (double)((a >> 16) & 0xFF) - ((b >> 16) & 0xFF);
    double dg = (double)((a >> 8) & 0xFF) - ((b >> 8) & 0xFF);
    double db = (double)(a & 0xFF) - (b & 0xFF);
    return std::sqrt(dr * dr + dg * dg + db * db);
}

uint32_t meanColour(const Image &image, const Rect &r)
{
    double sum[3] = {0, 0, 0};
    int n = 0;
    for (LONG y = r.top; y <= r.bottom; ++y) {
        for (LONG x = r.left; x <= r.right; ++x, ++n) {
            for (int c = 0; c < 3; ++c)
                sum[c] += (image.at(x, y) >> (16 - 8 * c)) & 0xFF;
        }
    }
    return (uint32_t)std::lround(sum[0] / n) << 16 | (uint32_t)std::lround(sum[1] / n) << 8 |
           (uint32_t)std::lround(sum[2] / n);
}

int differingPixels(const Image &a, const Image &b, const Rect &r)
{
    int count = 0;
    for (LONG y = r.top; y <= r.bottom; ++y) {
        for (LONG x = r.left; x <= r.right; ++x)
            count += a.at(x, y) != b.at(x, y);
    }
    return count;
}

std::string faceName(const FaceEntry &face, Picture picture)
{
    return std::string(face.modeName) + (face.portrait ? " portrait " : " landscape ") + pictureName(picture);
}

const Picture allPictures[] = {PICTURE_PRESSED, PICTURE_DAY, PICTURE_NIGHT};

// The label's ink (what the labels add to bare bodies) stays inside its own key, clear of the gap
// around it, and every key carries a label a person can see.
TEST_F(Pictures, LabelInkLiesInsideItsKeyClearOfTheGaps)
{
    const int clearance = 3; // the gap around each body is at least this wide on each side
    DrawOptions bare;
    bare.labels = false;
    for (const FaceEntry &face : allFaces()) {
        for (Picture picture : allPictures) {
            Image labelled = drawFace(face, picture, *font);
            Image bodies = drawFace(face, picture, *font, bare);
            ASSERT_EQ(face.width, labelled.width);
            ASSERT_EQ(face.height, labelled.height);
            std::vector<Rect> rects = keyRects(face);
            std::vector<int> inkPerKey(rects.size(), 0);
            for (int y = 0; y < face.height; ++y) {
                for (int x = 0; x < face.width; ++x) {
                    if (labelled.at(x, y) == bodies.at(x, y))
                        continue;
                    bool placed = false;
                    for (size_t k = 0; k < rects.size() && !placed; ++k) {
                        const Rect &r = rects[k];
                        if (x >= r.left + clearance && x <= r.right - clearance && y >= r.top + clearance &&
                            y <= r.bottom - clearance) {
                            ++inkPerKey[k];
                            placed = true;
                        }
                    }
                    ASSERT_TRUE(placed) << faceName(face, picture) << ": label ink at (" << x << ", " << y
                                        << ") outside every key's body";
                }
            }
            for (size_t k = 0; k < rects.size(); ++k) {
                EXPECT_GE(inkPerKey[k], 12) << faceName(face, picture) << ": key at x " << rects[k].left << ".."
                                            << rects[k].right << ", y " << rects[k].top << " has almost no label";
            }
        }
    }
}

// Each key rectangle reads as a key: its rim is the face's gap colour and its body is not.
TEST_F(Pictures, EveryKeyStandsApartFromTheGapAroundIt)
{
    DrawOptions bare;
    bare.labels = false;
    for (const LookSet &looks : LOOKS) {
        bare.looks = &looks;
        for (const FaceEntry &face : allFaces()) {
            for (Picture picture : allPictures) {
                Image image = drawFace(face, picture, *font, bare);
                for (const Rect &r : keyRects(face)) {
                    LONG midY = (r.top + r.bottom) / 2, midX = (r.left + r.right) / 2;
                    uint32_t gapLeft = image.at(r.left, midY), gapTop = image.at(midX, r.top);
                    uint32_t body = image.at(midX, midY);
                    EXPECT_EQ(gapLeft, gapTop) << faceName(face, picture) << " key at " << r.left << "," << r.top;
                    EXPECT_GT(colourDistance(body, gapLeft), 25) << faceName(face, picture) << ": the key at " << r.left
                                                                 << "," << r.top << " hardly differs from its gap";
                }
            }
        }
    }
}

// The pressed face must show a key as pressed on the day and on the night face alike.
TEST_F(Pictures, PressedKeysStandOutOnBothNormalFaces)
{
    for (const LookSet &looks : LOOKS) {
        DrawOptions options;
        options.looks = &looks;
        for (const FaceEntry &face : allFaces()) {
            Image pressed = drawFace(face, PICTURE_PRESSED, *font, options);
            Image day = drawFace(face, PICTURE_DAY, *font, options);
            Image night = drawFace(face, PICTURE_NIGHT, *font, options);
            for (const Rect &r : keyRects(face)) {
                uint32_t p = meanColour(pressed, r);
                EXPECT_GT(colourDistance(p, meanColour(day, r)), 60) << faceName(face, PICTURE_DAY) << " " << r.left;
                EXPECT_GT(colourDistance(p, meanColour(night, r)), 60)
                    << faceName(face, PICTURE_NIGHT) << " " << r.left;
            }
        }
    }
}

// Legible in sunlight: every label of the high-contrast look stands out from its key by at least
// 7:1, and every colour of every look is one the 16-bit display shows exactly, so fills stay as drawn.
TEST(Looks, HighContrastLabelsReachSevenToOneAndEveryColourSurvivesTheDisplay)
{
    // WCAG 2's own figures: black on white, and #767676, the lightest grey that passes 4.5:1 on white.
    EXPECT_NEAR(21.0, contrastRatio(0x000000, 0xFFFFFF), 1e-9);
    EXPECT_NEAR(4.54, contrastRatio(0x767676, 0xFFFFFF), 0.01);
    const LookSet &high = LOOKS[1];
    ASSERT_STREQ("high-contrast", high.name);
    for (Picture picture : allPictures)
        EXPECT_GE(labelContrast(lookFor(picture, high)).worst, 7.0) << pictureName(picture);
    for (const LookSet &looks : LOOKS)
        for (Picture picture : allPictures) {
            const Look &l = lookFor(picture, looks);
            for (uint32_t colour : {l.background, l.edge, l.key, l.modifier, l.ink, l.accent, l.lit, l.litInk})
                EXPECT_EQ(colour, shownIn565(colour)) << looks.name << std::hex << " " << colour;
        }
}

// One-shot shift and locked caps share a layout; their shift keys must look clearly different,
// and both different from the lower-case face's shift key.
TEST_F(Pictures, ShiftAndCapsFacesDifferAtTheShiftKey)
{
    std::vector<FaceEntry> faces = allFaces();
    for (bool portrait : {true, false}) {
        const FaceEntry *byMode[3] = {nullptr, nullptr, nullptr};
        for (const FaceEntry &face : faces) {
            if (face.portrait == portrait && face.mode < 3)
                byMode[face.mode] = &face;
        }
        ASSERT_TRUE(byMode[0] && byMode[1] && byMode[2]);
        const FaceEntry &upper = *byMode[1];
        Rect shift = {0, 0, -1, -1};
        for (int row = 0; row < ROW_COUNT; ++row) {
            for (const KeyRecord *key = (*upper.layout)[row]; !isSentinel(*key); ++key) {
                if (key->flags & KEY_SHIFT)
                    shift = {key->left, upper.rows[row], key->right, upper.rows[row + 1] - 1};
            }
        }
        ASSERT_LE(shift.left, shift.right) << "no shift key in the upper-case layout";
        int area = (shift.right - shift.left + 1) * (shift.bottom - shift.top + 1);
        for (Picture picture : {PICTURE_DAY, PICTURE_NIGHT}) {
            Image lower = drawFace(*byMode[0], picture, *font);
            Image once = drawFace(*byMode[1], picture, *font);
            Image locked = drawFace(*byMode[2], picture, *font);
            EXPECT_GT(differingPixels(once, locked, shift), area / 4) << faceName(*byMode[1], picture);
            EXPECT_GT(differingPixels(lower, once, shift), area / 20) << faceName(*byMode[1], picture);
            // Away from the shift key, shift and caps show the same keys.
            Rect whole = {0, 0, once.width - 1, once.height - 1};
            EXPECT_EQ(differingPixels(once, locked, whole), differingPixels(once, locked, shift));
        }
    }
}

// Popups: every cell's label stays in its cell, and the highlighted picture highlights every cell.
TEST_F(Pictures, PopupCellsCarryTheirLabelsAndAllHighlight)
{
    DrawOptions bare;
    bare.labels = false;
    std::vector<const KeyRecord *> lists = alternativesLists();
    EXPECT_EQ(35u, lists.size());
    for (const KeyRecord *list : lists) {
        Image day = drawPopup(list, PICTURE_DAY, *font);
        Image highlighted = drawPopup(list, PICTURE_PRESSED, *font);
        Image bodies = drawPopup(list, PICTURE_DAY, *font, bare);
        ASSERT_EQ(day.width, highlighted.width);
        ASSERT_EQ(83, day.height);
        for (int y = 0; y < day.height; ++y) {
            for (int x = 0; x < day.width; ++x) {
                if (day.at(x, y) == bodies.at(x, y))
                    continue;
                bool inCell = false;
                for (const KeyRecord *cell = list + 1; !isSentinel(*cell); ++cell)
                    inCell = inCell || (x >= cell->left + 10 && x <= cell->right + 10 && y >= 10 && y <= 72);
                ASSERT_TRUE(inCell) << "popup 0x" << std::hex << list[0].flags << std::dec << ": ink at " << x << ","
                                    << y << " outside every cell";
            }
        }
        for (const KeyRecord *cell = list + 1; !isSentinel(*cell); ++cell) {
            Rect r = {cell->left + 10, 10, cell->right + 10, 72};
            EXPECT_GT(colourDistance(meanColour(day, r), meanColour(highlighted, r)), 60)
                << "popup 0x" << std::hex << list[0].flags << " cell at " << std::dec << r.left;
            EXPECT_GT(differingPixels(day, bodies, r), 12) << "popup cell without a label at " << r.left;
        }
    }
}

// The transparent colour surrounds the icon exactly; no edge pixel is a blend towards it, which
// would show as a pink fringe once the colour is masked out.
TEST_F(Pictures, IconsKeepTheTransparentColourExact)
{
    for (Variant variant : {VARIANT_DAY, VARIANT_NIGHT}) {
        Image icon = drawIcon(variant);
        ASSERT_EQ(32, icon.width);
        ASSERT_EQ(32, icon.height);
        int transparent = 0;
        for (uint32_t p : icon.pixels) {
            if (p == ICON_TRANSPARENT)
                ++transparent;
            else
                EXPECT_GT(colourDistance(p, ICON_TRANSPARENT), 150) << std::hex << p;
        }
        EXPECT_EQ(ICON_TRANSPARENT, icon.at(0, 0));
        EXPECT_EQ(ICON_TRANSPARENT, icon.at(31, 31));
        EXPECT_GT(transparent, 100);
        EXPECT_LT(transparent, 32 * 32 - 300) << "the keyboard picture is too small to see";
    }
    EXPECT_NE(drawIcon(VARIANT_DAY).pixels, drawIcon(VARIANT_NIGHT).pixels);
}

// The glyph check sees every character the tables hold, and reports what a font lacks.
TEST_F(Pictures, GlyphCheckCoversEveryTableCharacter)
{
    std::vector<uint32_t> characters = labelCharacters();
    std::set<uint32_t> checked(characters.begin(), characters.end());
    for (const KeyRecord *list : alternativesLists()) {
        for (const KeyRecord *cell = list + 1; !isSentinel(*cell); ++cell)
            EXPECT_TRUE(checked.count(cell->character)) << describeCharacter(cell->character);
    }
    for (const FaceEntry &face : allFaces()) {
        for (int row = 0; row < ROW_COUNT; ++row) {
            for (const KeyRecord *key = (*face.layout)[row]; !isSentinel(*key); ++key) {
                if (key->character > 0x20)
                    EXPECT_TRUE(checked.count(key->character)) << describeCharacter(key->character);
            }
        }
    }
    EXPECT_TRUE(missingGlyphs(*font, characters).empty());
    // A private-use code point no text font draws, between two it does.
    std::vector<uint32_t> missing = missingGlyphs(*font, {0x61, 0xE000, 0x215B, 0xE000});
    ASSERT_EQ(1u, missing.size());
    EXPECT_EQ(0xE000u, missing[0]);
    EXPECT_EQ("U+215B ⅛", describeCharacter(0x215B));
}

} // namespace
