// A small reader of animated GIF files for the tests: frames composed onto the canvas as a viewer
// shows them, with each frame's rectangle and delay.
#ifndef KWENO_TESTS_SIM_GIFDECODER_H
#define KWENO_TESTS_SIM_GIFDECODER_H

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
    bool loops = false;
    std::vector<DecodedFrame> frames;
};

// False with a reason if the file is not a GIF this reader understands.
bool decodeGif(const std::vector<unsigned char> &bytes, DecodedGif *gif, std::string *error);
bool decodeGifFile(const std::string &path, DecodedGif *gif, std::string *error);

#endif // KWENO_TESTS_SIM_GIFDECODER_H
