// The looks a skin can be drawn in, each with day and night normal pictures and the pressed pictures
// both share.
#ifndef KWENO_SKIN_LOOKS_H
#define KWENO_SKIN_LOOKS_H

#include <cstdint>

#include "catalogue.h"

namespace skin {

struct Look {
    uint32_t background; // gaps between keys, popup margin
    uint32_t edge;       // outer line of a popup, against the keyboard beneath it
    uint32_t key;        // character keys and popup cells
    uint32_t modifier;   // mode, shift and editing keys
    uint32_t ink;        // labels
    uint32_t accent;     // the arrow of a one-shot shift
    uint32_t lit;        // the locked caps key
    uint32_t litInk;
};

// Every colour is one the device's 16-bit (5-6-5) display shows exactly, so that flat fills reach the
// screen as they were drawn.
// Day: dark on light, for sunlight. Night: light on dark, dim enough not to dazzle.
// Pressed: a saturated blue with white ink, which stands out on both normal pictures.
// The locked caps key glows amber like a lock lamp, so that it never looks merely pressed.
const Look DAY_LOOK = {0xBDC3CE, 0x5A6573, 0xFFFBFF, 0xDEDFE7, 0x181818, 0x1861D6, 0xEFB231, 0x181818};
const Look NIGHT_LOOK = {0x080C10, 0x5A6173, 0x393C42, 0x212429, 0xE7EBEF, 0x6BAAFF, 0xC68A21, 0x080C10};
const Look PRESSED_LOOK = {0x18417B, 0x08244A, 0x3982E7, 0x3982E7, 0xFFFFFF, 0xFFFFFF, 0x3982E7, 0xFFFFFF};

// For handhelds used outdoors on transflective screens, where sunlight washes out every mid tone:
// black on white by day, yellow on black by night, white on a deep blue when pressed; black or
// lighter gaps draw each key's outline hard. Every label reaches at least 7:1 against its key.
const Look HIGH_CONTRAST_DAY = {0x000000, 0x000000, 0xFFFFFF, 0xD6D7D6, 0x000000, 0x0020A5, 0xFFD700, 0x000000};
const Look HIGH_CONTRAST_NIGHT = {0x4A4D4A, 0xFFFFFF, 0x000000, 0x212021, 0xFFFF00, 0x00FFFF, 0xFFFF00, 0x000000};
const Look HIGH_CONTRAST_PRESSED = {0x000000, 0xFFFFFF, 0x00209C, 0x00209C, 0xFFFFFF, 0xFFFF00, 0x00209C, 0xFFFFFF};

struct LookSet {
    const char *name; // for --look
    Look day;
    Look night;
    Look pressed;
};

const LookSet LOOKS[] = {
    {"default", DAY_LOOK, NIGHT_LOOK, PRESSED_LOOK},
    {"high-contrast", HIGH_CONTRAST_DAY, HIGH_CONTRAST_NIGHT, HIGH_CONTRAST_PRESSED},
};

inline const Look &lookFor(Picture picture, const LookSet &looks = LOOKS[0])
{
    return picture == PICTURE_PRESSED ? looks.pressed : picture == PICTURE_NIGHT ? looks.night : looks.day;
}

// The colour the device's 16-bit (5-6-5) display shows for a 24-bit one: each channel cut to its
// bits and widened again by repeating them.
uint32_t shownIn565(uint32_t rgb);

// The WCAG 2 contrast ratio of two colours, 1 to 21: (L1 + 0.05) / (L2 + 0.05) of their relative
// luminances, the lighter over the darker.
double contrastRatio(uint32_t a, uint32_t b);

// The labels' contrast: the ink on a character key, and the worst of every label on its key (ink on
// the character and modifier keys, the locked caps key's ink, the one-shot shift's arrow).
struct LabelContrast {
    double inkOnKey;
    double worst;
};
LabelContrast labelContrast(const Look &look);

} // namespace skin

#endif // KWENO_SKIN_LOOKS_H
