// Animated GIF files of a session: each frame stores only the rectangle that changed, with a colour
// table of its own.
#ifndef KWENO_SIM_GIF_H
#define KWENO_SIM_GIF_H

#include <string>

#include "gifencoder.h"
#include "image.h"

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

    int frames() const { return (int)frames_.size(); }

  private:
    std::string path_; // of the file being written, empty when none is
    int width_ = 0;
    int height_ = 0;
    Image previous_;
    std::vector<GifFrame> frames_;
};

#endif // KWENO_SIM_GIF_H
