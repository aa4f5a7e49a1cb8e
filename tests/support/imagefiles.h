// Image files made in memory for tests of the shell's image loader and of skin checks.
#ifndef KWENO_TESTS_IMAGEFILES_H
#define KWENO_TESTS_IMAGEFILES_H

#include <cstdint>
#include <functional>
#include <vector>

namespace imagefiles {

typedef std::vector<uint8_t> Bytes;
// 0x00RRGGBB of pixel (x, y).
typedef std::function<uint32_t(int x, int y)> Colours;

// An 8-bit RGB PNG; with alpha, an RGBA one whose pixel (x, y) has alpha(x, y) (255 opaque).
Bytes png(int width, int height, const Colours &colour);
Bytes pngWithAlpha(int width, int height, const Colours &colour, const std::function<uint8_t(int, int)> &alpha);

// A GIF of the given number of frames, each the whole picture (at most 256 colours in it, the most
// frequent first, ties by colour); transparentIndex >= 0 marks that colour index transparent in the
// first frame, interlaced writes its rows in the four interlaced passes.
Bytes gif(int width, int height, const Colours &colour, int frames = 1, int transparentIndex = -1,
          bool interlaced = false);

// A baseline JPEG at the given quality, colour not subsampled.
Bytes jpeg(int width, int height, const Colours &colour, int quality = 95);

} // namespace imagefiles

#endif // KWENO_TESTS_IMAGEFILES_H
