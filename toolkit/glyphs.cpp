// FreeType faces and their rendered glyphs.
#include "glyphs.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>

struct FontFace::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

FontFace::FontFace() : impl_(new Impl) {}

FontFace::~FontFace()
{
    if (impl_->face)
        FT_Done_Face(impl_->face);
    if (impl_->library)
        FT_Done_FreeType(impl_->library);
    delete impl_;
}

std::string FontFace::open(const std::string &path)
{
    if (FT_Init_FreeType(&impl_->library))
        return "FreeType cannot start";
    if (FT_New_Face(impl_->library, path.c_str(), 0, &impl_->face))
        return "cannot read the font " + path;
    if (FT_Select_Charmap(impl_->face, FT_ENCODING_UNICODE))
        return "the font " + path + " has no Unicode character map";
    return "";
}

bool FontFace::hasGlyph(char32_t c) const
{
    return impl_->face && FT_Get_Char_Index(impl_->face, c) != 0;
}

bool FontFace::setPixelSize(int pixels)
{
    return impl_->face && FT_Set_Pixel_Sizes(impl_->face, 0, (FT_UInt)pixels) == 0;
}

Glyph FontFace::glyph(char32_t c, Hinting hinting) const
{
    Glyph g;
    FT_Int32 flags = FT_LOAD_RENDER | (hinting == HINT_LIGHT ? FT_LOAD_TARGET_LIGHT : FT_LOAD_TARGET_NORMAL);
    if (!impl_->face || FT_Load_Char(impl_->face, c, flags))
        return g;
    FT_GlyphSlot slot = impl_->face->glyph;
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

int FontFace::ascender() const
{
    return (int)(impl_->face->size->metrics.ascender >> 6);
}

int FontFace::lineHeight() const
{
    return (int)(impl_->face->size->metrics.height >> 6);
}
