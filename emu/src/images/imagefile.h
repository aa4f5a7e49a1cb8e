// Decoding whole image files as the shell's image loader finds them in a module: BMP, PNG, GIF, JPEG.
#ifndef EMU_IMAGEFILE_H
#define EMU_IMAGEFILE_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "dib.h"

namespace emu {

enum ImageFormat { IMAGE_UNKNOWN, IMAGE_BMP, IMAGE_PNG, IMAGE_GIF, IMAGE_JPEG };

// What a decode found out about a file, also when it failed: the format its signature names, the
// picture's size (once the header has been read), how many frames it holds (GIF), and whether any
// pixel of the picture is not opaque (those are shown black, as a bitmap has no alpha).
struct ImageFileInfo {
    ImageFormat format = IMAGE_UNKNOWN;
    int width = 0;
    int height = 0;
    int frames = 0;
    bool transparent = false;
    std::string problem; // why it did not decode
};

const char *imageFormatName(ImageFormat format);

// Decodes the image file with this build's decoder for its format (libpng, giflib, libjpeg-turbo;
// stb_image in WebAssembly) or the DIB reader for .bmp files. Sizes are bounded as for every picture
// (maxPictureSide, maxPicturePixels) before anything is allocated for them. A GIF gives its first
// frame on the logical screen; the other frames are counted (giflib passes over them, stb_image
// decodes them too). False, with info->problem, for anything not recognised, truncated, corrupt or
// too large. Never reads outside [data, data + size).
bool decodeImageFile(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info);

} // namespace emu

#endif // EMU_IMAGEFILE_H
