// FreeType faces and their rendered glyphs.
#include "glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

FontFace::~FontFace()
{
    if (face_)
        FT_Done_Face(face_);
    if (library_)
        FT_Done_FreeType(library_);
}

std::string FontFace::open(const std::string &path)
{
    if (FT_Init_FreeType(&library_))
        return "FreeType cannot start";
    if (FT_New_Face(library_, path.c_str(), 0, &face_))
        return "cannot read the font " + path;
    if (FT_Select_Charmap(face_, FT_ENCODING_UNICODE))
        return "the font " + path + " has no Unicode character map";
    return "";
}

bool FontFace::hasGlyph(char32_t c) const
{
    return face_ && FT_Get_Char_Index(face_, c) != 0;
}

// The face renders at one size at a time; every call sets the one it asks for.
static bool sized(FT_Face face, int pixels)
{
    return face && FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixels) == 0;
}

Glyph FontFace::glyph(char32_t c, int pixels, Hinting hinting) const
{
    Glyph g;
    FT_Int32 flags = FT_LOAD_RENDER | (hinting == HINT_LIGHT ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_NORMAL);
    if (!sized(face_, pixels) || FT_Load_Char(face_, c, flags))
        return g;
    FT_GlyphSlot slot = face_->glyph;
    g.width = (int)slot->bitmap.width;
    g.rows = (int)slot->bitmap.rows;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.advance = (int)(slot->advance.x >> 6);
    g.coverage.resize((size_t)g.width * g.rows);
    for (int y = 0; y < g.rows; ++y) {
        const unsigned char *row = slot->bitmap.buffer + y * slot->bitmap.pitch;
        std::copy(row, row + g.width, g.coverage.begin() + (size_t)y * g.width);
    }
    return g;
}

int FontFace::ascender(int pixels) const
{
    return sized(face_, pixels) ? (int)(face_->size->metrics.ascender >> 6) : 0;
}

int FontFace::lineHeight(int pixels) const
{
    return sized(face_, pixels) ? (int)(face_->size->metrics.height >> 6) : 0;
}
