// The colours of the three looks: day and night normal pictures, and the pressed pictures both share.
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

// Day: dark on light, for sunlight. Night: light on dark, dim enough not to dazzle.
// Pressed: a saturated blue with white ink, which stands out on both normal pictures.
// The locked caps key glows amber like a lock lamp, so that it never looks merely pressed.
const Look DAY_LOOK = {0xBCC3CC, 0x5E6773, 0xFCFCFD, 0xDCE0E6, 0x15181C, 0x1762D2, 0xF2B12E, 0x15181C};
const Look NIGHT_LOOK = {0x0A0B0D, 0x5A6270, 0x363B43, 0x22262C, 0xE6E9ED, 0x6EA8FF, 0xC98A1E, 0x0A0B0D};
const Look PRESSED_LOOK = {0x173F7A, 0x0B2448, 0x3A82E4, 0x3A82E4, 0xFFFFFF, 0xFFFFFF, 0x3A82E4, 0xFFFFFF};

inline const Look &lookFor(Picture picture)
{
    return picture == PICTURE_PRESSED ? PRESSED_LOOK : picture == PICTURE_NIGHT ? NIGHT_LOOK : DAY_LOOK;
}

} // namespace skin

#endif // KWENO_SKIN_LOOKS_H
