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

// Every colour is one the device's 16-bit (5-6-5) display shows exactly, so that flat fills reach the
// screen as they were drawn.
// Day: dark on light, for sunlight. Night: light on dark, dim enough not to dazzle.
// Pressed: a saturated blue with white ink, which stands out on both normal pictures.
// The locked caps key glows amber like a lock lamp, so that it never looks merely pressed.
const Look DAY_LOOK = {0xBDC3CE, 0x5A6573, 0xFFFBFF, 0xDEDFE7, 0x181818, 0x1861D6, 0xEFB231, 0x181818};
const Look NIGHT_LOOK = {0x080C10, 0x5A6173, 0x393C42, 0x212429, 0xE7EBEF, 0x6BAAFF, 0xC68A21, 0x080C10};
const Look PRESSED_LOOK = {0x18417B, 0x08244A, 0x3982E7, 0x3982E7, 0xFFFFFF, 0xFFFFFF, 0x3982E7, 0xFFFFFF};

inline const Look &lookFor(Picture picture)
{
    return picture == PICTURE_PRESSED ? PRESSED_LOOK : picture == PICTURE_NIGHT ? NIGHT_LOOK : DAY_LOOK;
}

} // namespace skin

#endif // KWENO_SKIN_LOOKS_H
