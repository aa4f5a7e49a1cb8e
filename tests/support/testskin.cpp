// The pixel-test skin, drawn from the panel's own layout tables.
#include "testskin.h"

#include <vector>

#include "model/keyboard.h"

namespace testsupport {
namespace {

// The key of a layout at each pixel column of each row, walked like the tables are walked.
struct KeyMap {
    std::vector<int> slot[ROW_COUNT]; // -1 where no key is
};

KeyMap keyMapOf(KeyboardLayout &layout, int width)
{
    KeyMap map;
    for (int r = 0; r < ROW_COUNT; ++r) {
        map.slot[r].assign(width, -1);
        for (int s = 0; !isSentinel(layout[r][s]); ++s)
            for (int x = layout[r][s].left; x <= layout[r][s].right && x < width; ++x)
                map.slot[r][x] = s;
    }
    return map;
}

Bytes facePicture(unsigned imageId, KeyboardLayout &layout, const RowBounds &rows, int width, int height)
{
    KeyMap map = keyMapOf(layout, width);
    return pebuilder::dib24(width, height, [&](int x, int y) {
        int row = 0;
        while (row < ROW_COUNT - 1 && y >= rows[row + 1])
            ++row;
        int slot = map.slot[row][x];
        return faceColour(imageId, slot < 0 ? -1 : row, slot);
    });
}

Bytes popupPicture(unsigned imageId, const KeyRecord *list)
{
    int width = list[0].right - list[0].left + 20;
    return pebuilder::dib24(width, cellHeight + 20, [&](int x, int y) {
        int cell = 0;
        if (y >= 10 && y < 10 + cellHeight)
            for (int k = 1; !isSentinel(list[k]); ++k)
                if (x >= list[k].left + 10 && x <= list[k].right + 10)
                    cell = k;
        return popupColour(imageId, cell);
    });
}

const KeyRecord *const allLists[] = {
    altLowerA, altLowerC,      altLowerE,       altLowerI,   altLowerL,     altLowerN,    altLowerO,
    altLowerS, altLowerU,      altLowerY,       altLowerZ,   altUpperA,     altUpperC,    altUpperE,
    altUpperI, altUpperL,      altUpperN,       altUpperO,   altUpperS,     altUpperU,    altUpperY,
    altUpperZ, altDollar,      altExclamation,  altQuestion, altPercent,    altAmpersand, altPlus,
    altEquals, altLeftBracket, altRightBracket, altHalf,     altApostrophe, altQuotation, altHyphen};

} // namespace

// A colour of 5-6-5 channel values, each widened to 8 bits as the display reads it back.
uint32_t rgb565(uint32_t red, uint32_t green, uint32_t blue)
{
    auto widen = [](uint32_t v, int bits) { return (v << (8 - bits)) | (v << (8 - bits) >> bits); };
    return widen(red & 0x1F, 5) << 16 | widen(green & 0x3F, 6) << 8 | widen(blue & 0x1F, 5);
}

// The channel values back, if the colour is one rgb565 makes.
bool channels565(uint32_t rgb, uint32_t *red, uint32_t *green, uint32_t *blue)
{
    *red = (rgb >> 19) & 0x1F;
    *green = (rgb >> 10) & 0x3F;
    *blue = (rgb >> 3) & 0x1F;
    return rgb565(*red, *green, *blue) == rgb;
}

uint32_t faceColour(unsigned imageId, int row, int slot)
{
    unsigned base = imageId - 0x1000;
    unsigned face = (base / 16) * 6 + ((base % 16) / 4) * 3 + base % 4;
    uint32_t key = row < 0 ? 0 : (uint32_t)(row * 16 + slot + 1);
    return rgb565(face, key, FACE_MARK);
}

uint32_t popupColour(unsigned imageId, int cell)
{
    return rgb565((uint32_t)cell, (imageId - 0x2000) / 16, POPUP_MARK + imageId % 16);
}

FacePixel decodeFace(uint32_t rgb)
{
    FacePixel p = {false, 0, -1, -1};
    uint32_t face, key, mark;
    if (!channels565(rgb, &face, &key, &mark) || mark != FACE_MARK || face >= 30)
        return p;
    p.valid = true;
    p.imageId = 0x1000 + 16 * (face / 6) + 4 * ((face % 6) / 3) + face % 3;
    if (key) {
        p.row = (int)(key - 1) / 16;
        p.slot = (int)(key - 1) % 16;
    }
    return p;
}

PopupPixel decodePopup(uint32_t rgb)
{
    PopupPixel p = {false, 0, 0};
    uint32_t cell, list, mark;
    if (!channels565(rgb, &cell, &list, &mark) || mark < POPUP_MARK || mark > POPUP_MARK + 2)
        return p;
    p.valid = true;
    p.imageId = 0x2000 + 16 * list + (mark - POPUP_MARK);
    p.cell = (int)cell;
    return p;
}

Bytes buildTestSkin(const std::set<unsigned> &omit, bool asBitmaps)
{
    const unsigned RT_BITMAP_TYPE = 2;
    std::vector<pebuilder::Resource> resources;
    auto add = [&](unsigned id, Bytes dib) {
        if (omit.count(id))
            return;
        if (asBitmaps)
            resources.push_back(pebuilder::Resource{RT_BITMAP_TYPE, id, std::move(dib), u"", u""});
        else
            resources.push_back(pebuilder::Resource{0, id, pebuilder::bmpFile(dib), u"GIF", u""});
    };
    for (unsigned mode = 0; mode < 5; ++mode) {
        const ModeLayouts &f = modeLayouts[mode];
        for (int landscape = 0; landscape < 2; ++landscape) {
            unsigned base = 0x1000 + 16 * mode + (landscape ? 4 : 0);
            for (unsigned offset = 0; offset < 3; ++offset) {
                if (landscape)
                    add(base + offset, facePicture(base + offset, *f.landscape, *f.landscapeRows, 640, 216));
                else
                    add(base + offset, facePicture(base + offset, *f.portrait, *f.portraitRows, 480, 252));
            }
        }
    }
    for (const KeyRecord *list : allLists)
        for (unsigned offset = 0; offset < 3; ++offset)
            add(list[0].flags + offset, popupPicture(list[0].flags + offset, list));
    // Icons: a green (day) or blue (night) square on the transparent colour, in colours of the
    // system palette that a 4-bit image list keeps.
    for (unsigned id = 1; id <= 2; ++id)
        if (!omit.count(id))
            resources.push_back(
                pebuilder::Resource{RT_BITMAP_TYPE, id,
                                    pebuilder::dib24(32, 32,
                                                     [id](int x, int y) {
                                                         bool inside = x >= 4 && x < 28 && y >= 8 && y < 24;
                                                         return inside ? (id == 1 ? 0x008000u : 0x000080u) : 0xFF00FFu;
                                                     }),
                                    u"", u""});
    return pebuilder::build(resources, pebuilder::pe32, emu::IMAGE_FILE_MACHINE_ARM);
}

} // namespace testsupport
