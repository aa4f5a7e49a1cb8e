// One key as drawn on a face or a popup: its body, and its label or symbol.
#ifndef KWENO_SKIN_KEYCAPS_H
#define KWENO_SKIN_KEYCAPS_H

#include <string>

#include "canvas.h"
#include "font.h"
#include "keys.h"
#include "looks.h"

namespace skin {

struct KeyLabel {
    KeyKind kind = KeyKind::None;
    std::u32string text;   // drawn as text; the other keys show a symbol of their kind
    bool modifier = false; // drawn on the darker body of function keys
};

// What a key shows, as the tools' key model reads it from its record.
KeyLabel labelOf(const KeyRecord &key);

// How the shift key shows the shift state of the face it is on.
enum ShiftState { SHIFT_OFF, SHIFT_ONCE, SHIFT_LOCKED };

struct KeyCap {
    Box body;         // the key's visible body, inside its rectangle
    double radius;    // of the body's corners
    int labelPixels;  // em size of a one-character label
    ShiftState shift; // for the shift key
    bool labels;      // false draws bodies only (used to find where labels land)
};

void drawKeyCap(Image &image, const KeyCap &cap, const KeyLabel &label, const Look &look, const Font &font);

// The body of a key rectangle given with inclusive edges: inset to leave a gap around every key.
Box keyBody(LONG left, LONG top, LONG right, LONG bottom, double inset);

} // namespace skin

#endif // KWENO_SKIN_KEYCAPS_H
