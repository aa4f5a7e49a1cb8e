// Key bodies, character labels and the drawn symbols of the function keys.
#include "keycaps.h"

#include <algorithm>
#include <cmath>

namespace skin {

namespace {

// Symbols are drawn in a square of side `size` around the body's centre, in units of that square
// (-0.5 to 0.5, y downwards).
struct SymbolFrame {
    double cx;
    double cy;
    double sx; // pixels per unit across
    double sy; // pixels per unit down
    std::vector<Point> map(std::initializer_list<Point> points) const
    {
        std::vector<Point> out;
        for (const Point &p : points)
            out.push_back({cx + p.x * sx, cy + p.y * sy});
        return out;
    }
};

void drawShift(Image &image, const SymbolFrame &f, double stroke, ShiftState state, uint32_t colour)
{
    // The bar under a locked arrow needs room: lift the arrow a little.
    double lift = state == SHIFT_LOCKED ? -0.08 : 0;
    std::vector<Point> arrow = f.map({{0, -0.5 + lift},
                                      {0.48, 0.02 + lift},
                                      {0.2, 0.02 + lift},
                                      {0.2, 0.4 + lift},
                                      {-0.2, 0.4 + lift},
                                      {-0.2, 0.02 + lift},
                                      {-0.48, 0.02 + lift}});
    if (state == SHIFT_OFF) {
        strokePolyline(image, arrow, true, stroke, colour);
        return;
    }
    fillPolygon(image, arrow, colour);
    if (state == SHIFT_LOCKED)
        fillPolygon(image, f.map({{-0.3, 0.48}, {0.3, 0.48}, {0.3, 0.62}, {-0.3, 0.62}}), colour);
}

void drawBackspace(Image &image, const SymbolFrame &f, double stroke, uint32_t colour)
{
    strokePolyline(image, f.map({{-0.58, 0}, {-0.24, -0.34}, {0.54, -0.34}, {0.54, 0.34}, {-0.24, 0.34}}), true, stroke,
                   colour);
    strokePolyline(image, f.map({{0.02, -0.14}, {0.3, 0.14}}), false, stroke, colour);
    strokePolyline(image, f.map({{0.02, 0.14}, {0.3, -0.14}}), false, stroke, colour);
}

void drawReturn(Image &image, const SymbolFrame &f, double stroke, uint32_t colour)
{
    strokePolyline(image, f.map({{0.46, -0.4}, {0.46, 0.12}, {-0.3, 0.12}}), false, stroke, colour);
    fillPolygon(image, f.map({{-0.56, 0.12}, {-0.24, -0.16}, {-0.24, 0.4}}), colour);
}

void drawTab(Image &image, const SymbolFrame &f, double stroke, uint32_t colour)
{
    strokePolyline(image, f.map({{-0.52, 0}, {0.25, 0}}), false, stroke, colour);
    fillPolygon(image, f.map({{0.44, 0}, {0.14, -0.28}, {0.14, 0.28}}), colour);
    strokePolyline(image, f.map({{0.52, -0.34}, {0.52, 0.34}}), false, stroke, colour);
}

void drawSpace(Image &image, const SymbolFrame &f, double stroke, uint32_t colour)
{
    strokePolyline(image, f.map({{-0.5, -0.12}, {-0.5, 0.14}, {0.5, 0.14}, {0.5, -0.12}}), false, stroke, colour);
}

void drawCalculator(Image &image, const SymbolFrame &f, double stroke, uint32_t colour)
{
    strokePolyline(image, f.map({{-0.34, -0.5}, {0.34, -0.5}, {0.34, 0.5}, {-0.34, 0.5}}), true, stroke, colour);
    fillPolygon(image, f.map({{-0.2, -0.36}, {0.2, -0.36}, {0.2, -0.14}, {-0.2, -0.14}}), colour);
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            double x = -0.18 + 0.18 * col, y = 0.02 + 0.15 * row;
            fillPolygon(
                image,
                f.map({{x - 0.055, y - 0.05}, {x + 0.055, y - 0.05}, {x + 0.055, y + 0.05}, {x - 0.055, y + 0.05}}),
                colour);
        }
    }
}

} // namespace

KeyLabel labelOf(const KeyRecord &key)
{
    KeyLabel label;
    label.kind = keyKind(key);
    label.text = keyCapText(key);
    // The editing and mode keys stand apart from the keys that type text.
    label.modifier = label.kind != KeyKind::Character && label.kind != KeyKind::Space;
    return label;
}

Box keyBody(LONG left, LONG top, LONG right, LONG bottom, double inset)
{
    return {left + inset, top + inset, right + 1 - inset, bottom + 1 - inset};
}

void drawKeyCap(Image &image, const KeyCap &cap, const KeyLabel &label, const Look &look, const Font &font)
{
    bool lit = label.kind == KeyKind::Shift && cap.shift == SHIFT_LOCKED;
    uint32_t body = lit ? look.lit : label.modifier ? look.modifier : look.key;
    uint32_t ink = lit ? look.litInk : look.ink;
    fillRoundRect(image, cap.body, cap.radius, body);
    if (!cap.labels)
        return;

    double side = std::min(cap.body.width(), cap.body.height()) * 0.5;
    double stroke = std::max(2.0, std::round(side * 0.1));
    SymbolFrame frame = {cap.body.centreX(), cap.body.centreY(), side, side};
    // Room left around a label, so that its ink never touches the body's rounded edge.
    Box room = {cap.body.left + 3, cap.body.top + 3, cap.body.right - 3, cap.body.bottom - 3};
    switch (label.kind) {
    case KeyKind::Character:
        drawLabel(image, font, label.text, room, cap.labelPixels, ink, PLACE_BASELINE);
        break;
    case KeyKind::Numeric:
    case KeyKind::Symbols:
    case KeyKind::Letters:
        drawLabel(image, font, label.text, room, (int)std::lround(cap.labelPixels * 0.68), ink, PLACE_INK_CENTRE);
        break;
    case KeyKind::Shift:
        drawShift(image, frame, stroke, cap.shift, cap.shift == SHIFT_ONCE ? look.accent : ink);
        break;
    case KeyKind::Tab:
        drawTab(image, frame, stroke, ink);
        break;
    case KeyKind::Backspace:
        drawBackspace(image, frame, stroke, ink);
        break;
    case KeyKind::Return:
        drawReturn(image, frame, stroke, ink);
        break;
    case KeyKind::Space:
        frame.sx = std::min(cap.body.width() * 0.4, side * 3);
        drawSpace(image, frame, stroke, ink);
        break;
    case KeyKind::Calculator:
        frame.sx = frame.sy = side * 1.1;
        drawCalculator(image, frame, std::max(2.0, stroke * 0.8), ink);
        break;
    case KeyKind::None:
        break;
    }
}

} // namespace skin
