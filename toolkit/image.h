// The tools' pictures: 0x00RRGGBB pixels in memory, read and written as PNG files with libpng.
#ifndef KWENO_TOOLKIT_IMAGE_H
#define KWENO_TOOLKIT_IMAGE_H

#include <cstdint>
#include <string>
#include <vector>

// 0x00RRGGBB pixels, row by row, top row first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Image() = default;
    Image(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t &at(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Writes the picture as an 8-bit RGB PNG; false with a reason on failure.
bool writePng(const Image &image, const std::string &path, std::string *error);
// The PNG file's bytes.
bool encodePng(const Image &image, std::vector<unsigned char> *bytes);
// The picture in a PNG file; false if it is none.
bool readPng(const std::string &path, Image *image);

#endif // KWENO_TOOLKIT_IMAGE_H
