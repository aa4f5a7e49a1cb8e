// Anti-aliased drawing by supersampling: each pixel is tested at 4 × 4 points inside it.
#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace skin {

namespace {

const int SAMPLES = 4;

// Paints colour over every pixel of the box in proportion to the samples inside the shape.
template <typename Inside> void paintCoverage(Image &image, const Box &box, uint32_t colour, Inside inside)
{
    int x0 = std::max(0, (int)std::floor(box.left));
    int y0 = std::max(0, (int)std::floor(box.top));
    int x1 = std::min(image.width, (int)std::ceil(box.right));
    int y1 = std::min(image.height, (int)std::ceil(box.bottom));
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            int hits = 0;
            for (int sy = 0; sy < SAMPLES; ++sy) {
                for (int sx = 0; sx < SAMPLES; ++sx) {
                    if (inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES))
                        ++hits;
                }
            }
            if (hits)
                blendPixel(image, x, y, colour, (double)hits / (SAMPLES * SAMPLES));
        }
    }
}

double distanceToSegment(double px, double py, const Point &a, const Point &b)
{
    double dx = b.x - a.x, dy = b.y - a.y;
    double length2 = dx * dx + dy * dy;
    double t = length2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / length2 : 0;
    t = std::clamp(t, 0.0, 1.0);
    double ex = a.x + t * dx - px, ey = a.y + t * dy - py;
    return std::sqrt(ex * ex + ey * ey);
}

Box boundsOf(const std::vector<Point> &points, double grow)
{
    Box box = {1e9, 1e9, -1e9, -1e9};
    for (const Point &p : points) {
        box.left = std::min(box.left, p.x - grow);
        box.top = std::min(box.top, p.y - grow);
        box.right = std::max(box.right, p.x + grow);
        box.bottom = std::max(box.bottom, p.y + grow);
    }
    return box;
}

uint8_t mixChannel(uint32_t over, uint32_t under, int shift, double coverage)
{
    double a = (over >> shift) & 0xFF, b = (under >> shift) & 0xFF;
    return (uint8_t)std::lround(a * coverage + b * (1 - coverage));
}

} // namespace

void blendPixel(Image &image, int x, int y, uint32_t colour, double coverage)
{
    if (x < 0 || y < 0 || x >= image.width || y >= image.height || coverage <= 0)
        return;
    if (coverage >= 1) {
        image.at(x, y) = colour;
        return;
    }
    uint32_t under = image.at(x, y);
    image.at(x, y) = ((uint32_t)mixChannel(colour, under, 16, coverage) << 16 |
                      (uint32_t)mixChannel(colour, under, 8, coverage) << 8 | mixChannel(colour, under, 0, coverage));
}

void fillPixels(Image &image, int left, int top, int right, int bottom, uint32_t colour)
{
    for (int y = std::max(0, top); y < std::min(image.height, bottom); ++y) {
        for (int x = std::max(0, left); x < std::min(image.width, right); ++x)
            image.at(x, y) = colour;
    }
}

void fillRoundRect(Image &image, const Box &box, double radius, uint32_t colour)
{
    paintCoverage(image, box, colour, [&](double x, double y) {
        if (x < box.left || x > box.right || y < box.top || y > box.bottom)
            return false;
        // Only the four corner squares need the distance test.
        double cx = std::clamp(x, box.left + radius, box.right - radius);
        double cy = std::clamp(y, box.top + radius, box.bottom - radius);
        double dx = x - cx, dy = y - cy;
        return dx * dx + dy * dy <= radius * radius;
    });
}

void fillPolygon(Image &image, const std::vector<Point> &points, uint32_t colour)
{
    paintCoverage(image, boundsOf(points, 0), colour, [&](double x, double y) {
        // Even-odd rule: count the edges a ray to the right crosses.
        bool inside = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            const Point &a = points[i], &b = points[j];
            if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
                inside = !inside;
        }
        return inside;
    });
}

void strokePolyline(Image &image, const std::vector<Point> &points, bool closed, double width, uint32_t colour)
{
    double half = width / 2;
    paintCoverage(image, boundsOf(points, half), colour, [&](double x, double y) {
        size_t segments = closed ? points.size() : points.size() - 1;
        for (size_t i = 0; i < segments; ++i) {
            if (distanceToSegment(x, y, points[i], points[(i + 1) % points.size()]) <= half)
                return true;
        }
        return false;
    });
}

Image resized(const Image &image, int width, int height, uint32_t fill)
{
    Image out(width, height, fill);
    for (int y = 0; y < std::min(height, image.height); ++y) {
        for (int x = 0; x < std::min(width, image.width); ++x)
            out.at(x, y) = image.at(x, y);
    }
    return out;
}

} // namespace skin
