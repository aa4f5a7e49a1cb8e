// The focused application above the panel: title bar, text field, wrapped text and cursor, drawn
// with FreeType, or with the glyphs FreeType rendered into a table where it is not built.
#include "appview.h"

#include <algorithm>
#include <vector>

#include "glyphs.h"
#include "text.h"

static const int barHeight = 30;
static const int margin = 8;
static const int padding = 8;
static const int tabStop = 4; // in widths of a space

AppLook dayLook()
{
    return AppLook{0xE4E7EC, 0x23466E, 0xFFFFFF, 0xFFFFFF, 0x8A94A3, 0x111111, 0x1F6FEB};
}

AppLook nightLook()
{
    return AppLook{0x16181D, 0x0B0C10, 0xB8C0CC, 0x22252C, 0x3A3F4A, 0xE6E6E6, 0xE0A030};
}

namespace {

struct Box {
    int left, top, right, bottom; // right and bottom exclusive
};

// Where one character of the text goes: its line and its x in the field.
struct Placed {
    char32_t c;
    int line;
    int x;
    size_t unit; // index of its first UTF-16 unit in the text
};

uint32_t blend(uint32_t under, uint32_t over, unsigned alpha)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        unsigned a = (under >> shift) & 0xFF;
        unsigned b = (over >> shift) & 0xFF;
        out |= ((a * (255 - alpha) + b * alpha + 127) / 255) << shift;
    }
    return out;
}

void fill(Image *image, const Box &box, uint32_t colour)
{
    for (int y = std::max(0, box.top); y < std::min(image->height, box.bottom); ++y) {
        for (int x = std::max(0, box.left); x < std::min(image->width, box.right); ++x)
            image->at(x, y) = colour;
    }
}

} // namespace

struct AppView::Font {
    int ascender_ = 0;
    int lineHeight_ = 0;
    mutable std::map<char32_t, Glyph> glyphs;
#if KWENO_SIM_FREETYPE
    FontFace face;
    int pixels = 0;

    bool load(const std::string &path, int size)
    {
        pixels = size;
        if (!face.open(path).empty() || face.lineHeight(size) <= 0)
            return false;
        ascender_ = face.ascender(size);
        lineHeight_ = face.lineHeight(size);
        return true;
    }

    Glyph render(char32_t c) const
    {
        return face.glyph(c, pixels, HINT_NORMAL);
    }
#else
    // Only the table's glyphs exist.
    Glyph render(char32_t) const
    {
        return Glyph();
    }
#endif

    const Glyph &glyph(char32_t c) const
    {
        auto found = glyphs.find(c);
        if (found != glyphs.end())
            return found->second;
        return glyphs.emplace(c, render(c)).first->second;
    }

    int ascender() const
    {
        return ascender_;
    }
    int lineHeight() const
    {
        return lineHeight_;
    }

    int advance(char32_t c) const
    {
        if (c == U'\t')
            return glyph(U' ').advance * tabStop;
        return glyph(c).advance;
    }

    // Blends the character over the picture, clipped to the box.
    void draw(Image *image, int x, int baseline, char32_t c, uint32_t colour, const Box &clip) const
    {
        const Glyph &g = glyph(c);
        for (int row = 0; row < g.rows; ++row) {
            int y = baseline - g.top + row;
            if (y < clip.top || y >= clip.bottom)
                continue;
            for (int col = 0; col < g.width; ++col) {
                int px = x + g.left + col;
                unsigned alpha = g.coverage[static_cast<size_t>(row) * g.width + col];
                if (alpha == 0 || px < clip.left || px >= clip.right)
                    continue;
                image->at(px, y) = blend(image->at(px, y), colour, alpha);
            }
        }
    }

    void drawText(Image *image, int x, int baseline, const std::u32string &text, uint32_t colour, const Box &clip) const
    {
        for (char32_t c : text) {
            draw(image, x, baseline, c, colour, clip);
            x += advance(c);
        }
    }
};

AppView::AppView() = default;
AppView::~AppView() = default;

bool AppView::loadFont(const std::string &path, std::string *error)
{
#if KWENO_SIM_FREETYPE
    const int titleSize = 15, textSize = 22; // pixels
    auto title = std::make_unique<Font>();
    auto text = std::make_unique<Font>();
    if (!title->load(path, titleSize) || !text->load(path, textSize)) {
        *error = "cannot load the font " + path;
        return false;
    }
    titleFont_ = std::move(title);
    textFont_ = std::move(text);
    return true;
#else
    *error = "cannot load the font " + path + ": this build has no FreeType, only glyph tables";
    return false;
#endif
}

// The table: "KWGL", then the title's font and the text's, each as its ascender, line height and
// number of glyphs, then every glyph as its character, width, rows, left, top and advance and its
// coverage bytes, row by row; numbers are 32-bit little-endian.
static const char glyphTableMagic[4] = {'K', 'W', 'G', 'L'};

static void putNumber(std::vector<uint8_t> *out, int32_t value)
{
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
}

std::vector<uint8_t> AppView::glyphTable(const std::u32string &characters) const
{
    std::vector<uint8_t> out(glyphTableMagic, glyphTableMagic + 4);
    for (const Font *font : {titleFont_.get(), textFont_.get()}) {
        putNumber(&out, font ? font->ascender() : 0);
        putNumber(&out, font ? font->lineHeight() : 0);
        putNumber(&out, font ? static_cast<int32_t>(characters.size()) : 0);
        for (size_t i = 0; font && i < characters.size(); ++i) {
            const Glyph &g = font->glyph(characters[i]);
            for (int32_t n : {static_cast<int32_t>(characters[i]), g.width, g.rows, g.left, g.top, g.advance})
                putNumber(&out, n);
            out.insert(out.end(), g.coverage.begin(), g.coverage.end());
        }
    }
    return out;
}

namespace {

// Reads a glyph table from the front, refusing anything that runs past its end.
struct TableReader {
    const std::vector<uint8_t> &bytes;
    size_t at = 0;
    bool ok = true;

    int32_t number()
    {
        if (!ok || bytes.size() - at < 4) {
            ok = false;
            return 0;
        }
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= static_cast<uint32_t>(bytes[at++]) << (8 * i);
        return static_cast<int32_t>(value);
    }
};

} // namespace

bool AppView::loadGlyphs(const std::vector<uint8_t> &table, std::string *error)
{
    TableReader in{table};
    in.ok = table.size() >= 4 && std::equal(glyphTableMagic, glyphTableMagic + 4, table.begin());
    in.at = 4;
    std::unique_ptr<Font> fonts[2];
    for (auto &font : fonts) {
        font = std::make_unique<Font>();
        font->ascender_ = in.number();
        font->lineHeight_ = in.number();
        for (int32_t n = in.number(); in.ok && n > 0; --n) {
            char32_t c = static_cast<char32_t>(in.number());
            Glyph g;
            g.width = in.number();
            g.rows = in.number();
            g.left = in.number();
            g.top = in.number();
            g.advance = in.number();
            size_t cells = static_cast<size_t>(g.width) * static_cast<size_t>(g.rows);
            in.ok = in.ok && g.width >= 0 && g.rows >= 0 && cells <= table.size() - in.at;
            if (!in.ok)
                break;
            g.coverage.assign(table.begin() + static_cast<long>(in.at),
                              table.begin() + static_cast<long>(in.at + cells));
            in.at += cells;
            font->glyphs.emplace(c, std::move(g));
        }
    }
    if (!in.ok || fonts[1]->lineHeight() <= 0) {
        *error = "not a glyph table, or one cut short";
        return false;
    }
    titleFont_ = std::move(fonts[0]);
    textFont_ = std::move(fonts[1]);
    return true;
}

bool AppView::hasFont() const
{
    return textFont_ != nullptr;
}

// Lays the text out in lines no wider than width, breaking after blanks where it can and inside
// a word only when the word alone is too wide.
template <typename Advance>
static void layOut(const std::u16string &text, int width, Advance advance, std::vector<Placed> *placed)
{
    std::vector<Placed> chars;
    size_t unit = 0;
    for (char32_t c : codePoints(utf8FromUtf16(text))) {
        // A carriage return ends a line as a line feed does.
        chars.push_back(Placed{c == U'\r' ? U'\n' : c, 0, 0, unit});
        unit += c >= 0x10000 ? 2 : 1;
    }
    int line = 0;
    int x = 0;
    size_t i = 0;
    while (i < chars.size()) {
        char32_t c = chars[i].c;
        if (c == U'\n') {
            chars[i].line = line;
            chars[i].x = x;
            ++line;
            x = 0;
            ++i;
            continue;
        }
        if (c == U' ' || c == U'\t') {
            chars[i].line = line;
            chars[i].x = x;
            x += advance(c);
            ++i;
            continue;
        }
        size_t end = i;
        int wordWidth = 0;
        while (end < chars.size() && chars[end].c != U' ' && chars[end].c != U'\t' && chars[end].c != U'\n')
            wordWidth += advance(chars[end++].c);
        if (x > 0 && x + wordWidth > width) {
            ++line;
            x = 0;
        }
        for (; i < end; ++i) {
            int w = advance(chars[i].c);
            if (x > 0 && x + w > width) {
                ++line;
                x = 0;
            }
            chars[i].line = line;
            chars[i].x = x;
            x += w;
        }
    }
    // The end of the text, where the cursor may stand.
    chars.push_back(Placed{0, line, x, text.size()});
    *placed = std::move(chars);
}

void AppView::draw(Image *area, const std::u16string &text, size_t cursor, const std::string &title,
                   const AppLook &look) const
{
    fill(area, Box{0, 0, area->width, area->height}, look.background);
    fill(area, Box{0, 0, area->width, barHeight}, look.bar);
    Box field{margin, barHeight + margin, area->width - margin, area->height - margin};
    if (field.bottom <= field.top)
        return;
    fill(area, field, look.fieldBorder);
    Box inside{field.left + 1, field.top + 1, field.right - 1, field.bottom - 1};
    fill(area, inside, look.field);
    if (!textFont_)
        return;

    int titleBaseline = (barHeight + titleFont_->ascender()) / 2 - 1;
    titleFont_->drawText(area, margin + 2, titleBaseline, codePoints(title), look.barText,
                         Box{0, 0, area->width, barHeight});

    Box textBox{inside.left + padding, inside.top + padding / 2, inside.right - padding, inside.bottom - padding / 2};
    std::vector<Placed> placed;
    const Font &font = *textFont_;
    layOut(
        text, textBox.right - textBox.left, [&font](char32_t c) { return font.advance(c); }, &placed);

    // The line of the cursor stays in view: lines scroll up once it would fall below the field.
    const Placed *caret = &placed.back();
    for (const Placed &p : placed) {
        if (p.unit >= cursor) {
            caret = &p;
            break;
        }
    }
    int lineHeight = font.lineHeight();
    int visibleLines = std::max(1, (textBox.bottom - textBox.top) / lineHeight);
    int firstLine = std::max(0, caret->line - visibleLines + 1);
    for (size_t i = 0; i + 1 < placed.size(); ++i) {
        const Placed &p = placed[i];
        if (p.c == U'\n' || p.c == U'\t' || p.c == U' ')
            continue;
        int baseline = textBox.top + (p.line - firstLine) * lineHeight + font.ascender();
        font.draw(area, textBox.left + p.x, baseline, p.c, look.text, textBox);
    }
    int caretTop = textBox.top + (caret->line - firstLine) * lineHeight + 2;
    fill(area, Box{textBox.left + caret->x, caretTop, textBox.left + caret->x + 2, caretTop + lineHeight - 2},
         look.caret);
}
