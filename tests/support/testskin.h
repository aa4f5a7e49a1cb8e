// A resource module for pixel tests: every key of every face, and every cell of every popup, in a
// colour of its own, so that each painted rectangle and the picture it came from can be read back.
#ifndef KWENO_TESTS_TESTSKIN_H
#define KWENO_TESTS_TESTSKIN_H

#include <cstdint>
#include <set>

#include "pebuilder.h"

namespace testsupport {

typedef pebuilder::Bytes Bytes;

// Every colour is exact on the device's 16-bit display (5 bits of red, 6 of green, 5 of blue, each
// widened by repeating its bits), so that what reaches the screen can be read back as it was drawn.
// Face pixels: red = the face (mode · 6 + landscape · 3 + picture), green = row·16 + slot + 1 (0
// outside every key), blue = FACE_MARK. Popup pixels: red = cell (0 in the margin), green = the
// list ((image id − 0x2000) / 16), blue = POPUP_MARK + picture (0 pressed, 1 day, 2 night).
const uint32_t FACE_MARK = 0x0B;  // of 5 bits
const uint32_t POPUP_MARK = 0x14; // of 5 bits

uint32_t faceColour(unsigned imageId, int row, int slot);
uint32_t popupColour(unsigned imageId, int cell);

struct FacePixel {
    bool valid; // the pixel came from a face
    unsigned imageId;
    int row, slot; // -1 outside every key
};
FacePixel decodeFace(uint32_t rgb);

struct PopupPixel {
    bool valid;
    unsigned imageId;
    int cell; // 0 in the margin
};
PopupPixel decodePopup(uint32_t rgb);

// Every face, popup and icon id the panel may ask for, except those in omit: faces and popups as
// .bmp files under the resource type "GIF", where the shell's image loader looks, the icons as
// bitmap resources. With asBitmaps, faces and popups are bitmap resources too, which the shell's
// loader does not read.
Bytes buildTestSkin(const std::set<unsigned> &omit = std::set<unsigned>(), bool asBitmaps = false);

} // namespace testsupport

#endif // KWENO_TESTS_TESTSKIN_H
