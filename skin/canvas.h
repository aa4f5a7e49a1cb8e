// The anti-aliased shapes the skin is drawn with, on the tools' RGB pictures.
#ifndef KWENO_SKIN_CANVAS_H
#define KWENO_SKIN_CANVAS_H

#include <cstdint>
#include <vector>

#include "image.h"

namespace skin {

struct Point {
    double x;
    double y;
};

// An axis-aligned box in pixel-edge coordinates: a pixel (x, y) spans x..x+1, y..y+1.
struct Box {
    double left;
    double top;
    double right;
    double bottom;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
    double centreX() const { return (left + right) / 2; }
    double centreY() const { return (top + bottom) / 2; }
};

// Mixes colour over the pixel with the given coverage (0 to 1).
void blendPixel(Image &image, int x, int y, uint32_t colour, double coverage);

// Hard-edged rectangle of whole pixels, x from left to right - 1, y from top to bottom - 1.
void fillPixels(Image &image, int left, int top, int right, int bottom, uint32_t colour);

void fillRoundRect(Image &image, const Box &box, double radius, uint32_t colour);
void fillPolygon(Image &image, const std::vector<Point> &points, uint32_t colour);
// A line of the given width along the points, with round joins and ends.
void strokePolyline(Image &image, const std::vector<Point> &points, bool closed, double width, uint32_t colour);

// Copies what overlaps into a new picture of another size, filling the rest.
Image resized(const Image &image, int width, int height, uint32_t fill);

} // namespace skin

#endif // KWENO_SKIN_CANVAS_H
