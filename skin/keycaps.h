// One key as drawn on a face or a popup: its body, and its label or symbol.
#ifndef KWENO_SKIN_KEYCAPS_H
#define KWENO_SKIN_KEYCAPS_H

#include <string>

#include "canvas.h"
#include "font.h"
#include "looks.h"
#include "model/keyboard.h"

namespace skin {

enum LabelKind {
    LABEL_NONE,
    LABEL_CHARACTER,
    LABEL_TEXT, // a short word for a mode key ("123")
    LABEL_SHIFT,
    LABEL_TAB,
    LABEL_BACKSPACE,
    LABEL_RETURN,
    LABEL_SPACE,
    LABEL_CALCULATOR
};

struct KeyLabel {
    LabelKind kind = LABEL_NONE;
    std::u32string text;
    bool modifier = false; // drawn on the darker body of function keys
};

// What a key shows, read from its record: flags first, then the editing keys' codes, then its character.
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
