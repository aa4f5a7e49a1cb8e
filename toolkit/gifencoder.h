// GIF files written with giflib, in memory: a still picture or an animation.
#ifndef KWENO_TOOLKIT_GIFENCODER_H
#define KWENO_TOOLKIT_GIFENCODER_H

#include <cstdint>
#include <vector>

#include "palette.h"

// A frame, where it stands in the file and how it is shown.
struct GifFrame {
    Indexed picture; // its indices into its own palette or the file's
    int left = 0;
    int top = 0;
    // Shown this many hundredths of a second, then left in place under the next frame; -1: no timing.
    int delay = -1;
    // The palette index that is see-through; -1: none.
    int transparent = -1;
    // Rows in the four passes of an interlaced GIF.
    bool interlaced = false;
    // The picture's palette as a colour table of its own, instead of the file's.
    bool ownPalette = false;
};

// How the file is laid out: a non-empty palette is its colour table; GIF89a has the extensions that
// delays, transparency and looping need; a looping file plays forever.
struct GifLayout {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> palette;
    bool gif89 = true;
    bool loop = false;
};

// The file's bytes; empty if giflib could not write them.
std::vector<uint8_t> encodeGif(const GifLayout &layout, const std::vector<GifFrame> &frames);

#endif // KWENO_TOOLKIT_GIFENCODER_H
