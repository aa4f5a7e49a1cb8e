// Animated GIF files of a session, written with giflib: each frame stores only the rectangle that
// changed, with a colour table of its own.
#ifndef KWENO_SIM_GIF_H
#define KWENO_SIM_GIF_H

#include <cstdio>
#include <string>

#include "image.h"

struct GifFileType;

class GifWriter {
  public:
    GifWriter() = default;
    GifWriter(const GifWriter &) = delete;
    GifWriter &operator=(const GifWriter &) = delete;
    ~GifWriter();

    // Starts a file whose frames are all width x height, looping forever.
    bool open(const std::string &path, int width, int height, std::string *error);
    // Adds a frame of exactly the file's size, shown for delayMs (rounded to hundredths of a second).
    void addFrame(const Image &frame, int delayMs);
    // Ends the file; false if anything could not be written.
    bool close();

    int frames() const { return frames_; }

  private:
    bool writeFrame(const Image &frame, int left, int top, int width, int height, int delayMs);

    FILE *file_ = nullptr;
    GifFileType *gif_ = nullptr;
    bool failed_ = false;
    int width_ = 0;
    int height_ = 0;
    Image previous_;
    int frames_ = 0;
};

#endif // KWENO_SIM_GIF_H
