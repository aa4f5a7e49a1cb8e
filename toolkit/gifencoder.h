// GIF files written with giflib, in memory: a still picture or an animation, frame by frame.
#ifndef KWENO_TOOLKIT_GIFENCODER_H
#define KWENO_TOOLKIT_GIFENCODER_H

#include <cstdint>
#include <vector>

#include "palette.h"

struct GifFileType;

// Where a frame stands in the file and how it is shown.
struct GifFrame {
    int left = 0;
    int top = 0;
    // Shown this many hundredths of a second, then left in place under the next frame; -1: no timing.
    int delay = -1;
    // The palette index that is see-through; -1: none.
    int transparent = -1;
    // Rows in the four passes of an interlaced GIF.
    bool interlaced = false;
    // The frame's palette as a colour table of its own, instead of the file's.
    bool ownPalette = false;
};

class GifEncoder {
  public:
    GifEncoder() = default;
    GifEncoder(const GifEncoder &) = delete;
    GifEncoder &operator=(const GifEncoder &) = delete;
    ~GifEncoder();

    // Starts a file of width x height; a non-empty palette is the file's colour table. GIF89a has
    // the extensions that delays, transparency and looping need; a looping file plays forever.
    bool open(int width, int height, const std::vector<uint32_t> &palette, bool gif89, bool loop);
    // Adds a frame, whose indices are into its own palette or the file's.
    bool addFrame(const Indexed &frame, const GifFrame &place);
    // Ends the file: its bytes, empty if anything could not be written.
    std::vector<uint8_t> close();

  private:
    GifFileType *gif_ = nullptr;
    bool failed_ = false;
    std::vector<uint8_t> bytes_;
};

// A GIF87a of one frame, its colour table the picture's palette.
std::vector<uint8_t> encodeGif(const Indexed &image);

#endif // KWENO_TOOLKIT_GIFENCODER_H
