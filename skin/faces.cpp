// Keyboard faces and alternatives popups, laid out from the panel's layout tables.
#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "keycaps.h"
#include "model/keyboard.h"
#include "surface/imageids.h"

namespace skin {

namespace {

// Corner radius of key bodies and popup cells.
const double KEY_RADIUS = 6;

ShiftState shiftStateOf(int mode)
{
    return mode == MODE_SHIFT ? SHIFT_ONCE : mode == MODE_CAPS ? SHIFT_LOCKED : SHIFT_OFF;
}

// One size for every one-character label of a face, from its row height.
int labelPixelsFor(LONG rowHeight)
{
    return (int)std::lround(rowHeight * 0.46);
}

void addText(std::vector<uint32_t> &characters, const KeyLabel &label)
{
    for (char32_t c : label.text) {
        if (std::find(characters.begin(), characters.end(), (uint32_t)c) == characters.end())
            characters.push_back((uint32_t)c);
    }
}

} // namespace

Image drawFace(const FaceEntry &face, Picture picture, const Font &font, const DrawOptions &options)
{
    const Look &look = lookFor(picture, *options.looks);
    Image image(face.width, face.height, look.background);
    for (int row = 0; row < ROW_COUNT; ++row) {
        LONG top = face.rows[row], bottom = face.rows[row + 1] - 1;
        for (const KeyRecord *key = (*face.layout)[row]; !isSentinel(*key); ++key) {
            KeyCap cap;
            cap.body = keyBody(key->left, top, key->right, bottom, KEY_INSET);
            cap.radius = KEY_RADIUS;
            cap.labelPixels = labelPixelsFor(bottom - top + 1);
            cap.shift = shiftStateOf(face.mode);
            cap.labels = options.labels;
            drawKeyCap(image, cap, labelOf(*key), look, font);
        }
    }
    return image;
}

Image drawPopup(const KeyRecord *list, Picture picture, const Font &font, const DrawOptions &options)
{
    const Look &look = lookFor(picture, *options.looks);
    int width = (int)popupWidth(list), height = (int)POPUP_HEIGHT;
    Image image(width, height, look.background);
    // A one-pixel line around the margin sets the popup apart from the keys beneath it.
    fillPixels(image, 0, 0, width, 1, look.edge);
    fillPixels(image, 0, height - 1, width, height, look.edge);
    fillPixels(image, 0, 0, 1, height, look.edge);
    fillPixels(image, width - 1, 0, width, height, look.edge);
    for (const KeyRecord *cell = list + 1; !isSentinel(*cell); ++cell) {
        KeyCap cap;
        RECT r = popupCellRect(*cell);
        cap.body = keyBody(r.left, r.top, r.right, r.bottom, KEY_INSET);
        cap.radius = KEY_RADIUS;
        cap.labelPixels = labelPixelsFor(cellHeight);
        cap.shift = SHIFT_OFF;
        cap.labels = options.labels;
        KeyLabel label = labelOf(*cell);
        label.modifier = false; // every cell is a character
        drawKeyCap(image, cap, label, look, font);
    }
    return image;
}

std::vector<uint32_t> labelCharacters()
{
    std::vector<uint32_t> characters;
    for (const FaceEntry &face : allFaces()) {
        for (int row = 0; row < ROW_COUNT; ++row) {
            for (const KeyRecord *key = (*face.layout)[row]; !isSentinel(*key); ++key)
                addText(characters, labelOf(*key));
        }
    }
    for (const KeyRecord *list : alternativesLists()) {
        for (const KeyRecord *cell = list + 1; !isSentinel(*cell); ++cell)
            addText(characters, labelOf(*cell));
    }
    return characters;
}

} // namespace skin
