// Glyphs of a font file, rendered anti-aliased by FreeType, at pixel sizes given as em heights.
#ifndef KWENO_TOOLKIT_GLYPHS_H
#define KWENO_TOOLKIT_GLYPHS_H

#include <cstdint>
#include <string>
#include <vector>

typedef struct FT_LibraryRec_ *FT_Library;
typedef struct FT_FaceRec_ *FT_Face;

// A glyph's coverage mask (0 to 255), placed from the pen on the baseline.
struct Glyph {
    int width = 0;
    int rows = 0;
    int left = 0;    // from the pen to the mask's left edge
    int top = 0;     // from the baseline up to the mask's top row
    int advance = 0; // how far the pen moves on
    std::vector<uint8_t> coverage;
};

// FreeType's hinting: light keeps the glyph's shapes and snaps only vertically, normal snaps both ways.
enum Hinting { HINT_NORMAL, HINT_LIGHT };

class FontFace {
  public:
    FontFace() = default;
    ~FontFace();
    FontFace(const FontFace &) = delete;
    FontFace &operator=(const FontFace &) = delete;

    // An empty string on success, else why the file cannot be used.
    std::string open(const std::string &path);
    bool hasGlyph(char32_t c) const;
    // The glyph of c; an empty one, advancing nothing, when it cannot be rendered at that size.
    Glyph glyph(char32_t c, int pixels, Hinting hinting) const;
    // In whole pixels at the size: from the baseline up to the font's top, and between lines.
    int ascender(int pixels) const;
    int lineHeight(int pixels) const;

  private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

#endif // KWENO_TOOLKIT_GLYPHS_H
