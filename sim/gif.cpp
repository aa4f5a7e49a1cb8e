// Animated GIF files: each frame the rectangle that changed, with a palette of its own.
#include "gif.h"

#include <algorithm>

#include "wholefile.h"

GifWriter::~GifWriter()
{
    if (!path_.empty())
        close();
}

bool GifWriter::open(const std::string &path, int width, int height, std::string *error)
{
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) {
        *error = "bad size for an animation";
        return false;
    }
    // The file is written whole at the end; a folder that takes none says so now.
    if (!writeFile(path, std::string())) {
        *error = "cannot write " + path;
        return false;
    }
    path_ = path;
    width_ = width;
    height_ = height;
    frames_.clear();
    previous_ = Image();
    return true;
}

void GifWriter::addFrame(const Image &frame, int delayMs)
{
    if (path_.empty() || frame.width != width_ || frame.height != height_)
        return;
    int left = 0, top = 0, right = width_ - 1, bottom = height_ - 1;
    if (!frames_.empty()) {
        // Only the bounding rectangle of what changed since the frame before.
        left = width_;
        top = height_;
        right = -1;
        bottom = -1;
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                if (frame.at(x, y) == previous_.at(x, y))
                    continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        if (right < 0) {
            // Nothing changed: one unchanged pixel carries the delay.
            left = top = right = bottom = 0;
        }
    }
    Image changed(right - left + 1, bottom - top + 1);
    for (int y = 0; y < changed.height; ++y)
        for (int x = 0; x < changed.width; ++x)
            changed.at(x, y) = frame.at(left + x, top + y);
    GifFrame gifFrame;
    gifFrame.picture = quantise(changed, 256);
    gifFrame.left = left;
    gifFrame.top = top;
    // Hundredths of a second, never less than two, which viewers would stretch anyway.
    gifFrame.delay = std::min(std::max(2, (delayMs + 5) / 10), 0xFFFF);
    gifFrame.ownPalette = true;
    frames_.push_back(std::move(gifFrame));
    previous_ = frame;
}

bool GifWriter::close()
{
    if (path_.empty())
        return false;
    // No colour table for the file: every frame has its own.
    std::vector<uint8_t> bytes = encodeGif(GifLayout{width_, height_, {}, true, true}, frames_);
    bool ok = !bytes.empty() && writeFile(path_, bytes);
    path_.clear();
    return ok;
}
