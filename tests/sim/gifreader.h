// Animated GIF files read back for the tests with giflib: frames composed onto the canvas as a
// viewer shows them, with each frame's rectangle and delay.
#ifndef KWENO_TESTS_SIM_GIFREADER_H
#define KWENO_TESTS_SIM_GIFREADER_H

#include <string>
#include <vector>

#include "image.h"

struct DecodedFrame {
    int left = 0, top = 0, width = 0, height = 0;
    int delayCs = 0;
    Image canvas; // the whole picture after this frame
};

struct DecodedGif {
    int width = 0, height = 0;
    bool loops = false; // a NETSCAPE2.0 extension that loops forever
    std::vector<DecodedFrame> frames;
};

// False with a reason if giflib cannot read the file, or a frame has no colour table of its own or
// lies outside the canvas.
bool decodeGifFile(const std::string &path, DecodedGif *gif, std::string *error);

#endif // KWENO_TESTS_SIM_GIFREADER_H
