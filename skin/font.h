// Labels drawn with FreeType: glyph checks, measuring and centring text in a box.
#ifndef KWENO_SKIN_FONT_H
#define KWENO_SKIN_FONT_H

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"
#include "glyphs.h"

namespace skin {

// The ink of a rendered text: a coverage mask (0 to 255) cropped to the pixels that carry ink.
struct Ink {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> coverage;
    int ascent = 0; // rows of ink above the baseline (the baseline lies under row ascent - 1)
};

class Font {
  public:
    // An empty string on success, else why the file could not be used.
    std::string open(const std::string &path);
    const std::string &path() const { return path_; }
    bool hasGlyph(uint32_t codePoint) const { return face_.hasGlyph(codePoint); }
    // Renders the text at a pixel size (em height), anti-aliased.
    Ink render(const std::u32string &text, int pixelSize) const;

  private:
    // Rendering sets the face's size: a label's size is no lasting state of the font.
    mutable FontFace face_;
    std::string path_;
};

// The characters of the list that the font cannot draw.
std::vector<uint32_t> missingGlyphs(const Font &font, const std::vector<uint32_t> &characters);

// How a label stands in its box.
enum LabelPlacement {
    PLACE_INK_CENTRE, // the ink's middle on the box's middle: words and symbols
    PLACE_BASELINE    // capital height centred, so that "_" , "." sit low and "'" sits high, as in text
};

// Draws text centred across its ink in the box, at pixelSize or smaller until the ink fits the box.
void drawLabel(Image &image, const Font &font, const std::u32string &text, const Box &box, int pixelSize,
               uint32_t colour, LabelPlacement placement);

} // namespace skin

#endif // KWENO_SKIN_FONT_H
