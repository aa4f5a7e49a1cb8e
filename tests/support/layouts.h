// The eight built-in layouts, each once, in the order and orientation the modes show them (shift and
// caps share one): read from the panel's own table of which layout a mode shows.
#ifndef KWENO_TESTS_LAYOUTS_H
#define KWENO_TESTS_LAYOUTS_H

#include <string>
#include <vector>

#include "model/keyboard.h"

namespace testsupport {

struct ShownLayout {
    std::string name; // the first mode that shows it, and the orientation: "numeric landscape"
    KeyboardLayout *layout;
    const RowBounds *rows;
    LONG width;
    LONG height;
};

inline std::vector<ShownLayout> allLayouts()
{
    static const char *const modeNames[LAYOUT_MODES] = {"lower", "shift", "caps", "numeric", "symbols"};
    std::vector<ShownLayout> out;
    for (int portrait = 1; portrait >= 0; --portrait) {
        for (int mode = 0; mode < LAYOUT_MODES; ++mode) {
            const ModeLayouts &m = modeLayouts[mode];
            ShownLayout l = {std::string(modeNames[mode]) + (portrait ? " portrait" : " landscape"),
                             portrait ? m.portrait : m.landscape, portrait ? m.portraitRows : m.landscapeRows,
                             portrait ? PORTRAIT_WIDTH : LANDSCAPE_WIDTH,
                             portrait ? PORTRAIT_HEIGHT : LANDSCAPE_HEIGHT};
            bool seen = false;
            for (const ShownLayout &o : out)
                seen = seen || o.layout == l.layout;
            if (!seen)
                out.push_back(l);
        }
    }
    return out;
}

} // namespace testsupport

#endif // KWENO_TESTS_LAYOUTS_H
