// The focused application as the simulated handheld shows it above the panel: a title bar and a
// text field with what the panel typed and the cursor.
#ifndef KWENO_SIM_APPVIEW_H
#define KWENO_SIM_APPVIEW_H

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "image.h"

struct AppLook {
    uint32_t background, bar, barText, field, fieldBorder, text, caret;
};
// Light for the day variant, dark for the night one.
AppLook dayLook();
AppLook nightLook();

class AppView {
  public:
    AppView();
    ~AppView();
    AppView(const AppView &) = delete;
    AppView &operator=(const AppView &) = delete;

    // Loads the font; without one the view draws its frame but no text.
    bool loadFont(const std::string &path, std::string *error);
    bool hasFont() const;
    // The glyphs of the characters as the loaded font draws them, as a table that loadGlyphs
    // reads where FreeType is not built (the page's WebAssembly): the same pixels from the same
    // font. A character the table lacks is drawn as nothing.
    std::vector<uint8_t> glyphTable(const std::u32string &characters) const;
    bool loadGlyphs(const std::vector<uint8_t> &table, std::string *error);

    // Draws the application into a picture of the area above the panel (width x height).
    void draw(Image *area, const std::u16string &text, size_t cursor, const std::string &title,
              const AppLook &look) const;

  private:
    struct Font;
    std::unique_ptr<Font> titleFont_;
    std::unique_ptr<Font> textFont_;
};

#endif // KWENO_SIM_APPVIEW_H
