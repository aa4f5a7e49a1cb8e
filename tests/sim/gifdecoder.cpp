// A small reader of animated GIF files, written the way common decoders read the format: the code
// width grows when the table fills the current width, and a clear code starts the table afresh.
#include "gifdecoder.h"

#include <fstream>
#include <iterator>

namespace {

class Reader {
  public:
    explicit Reader(const std::vector<unsigned char> &bytes) : bytes_(bytes) {}
    bool more(size_t n) const { return pos_ + n <= bytes_.size(); }
    int byte() { return more(1) ? bytes_[pos_++] : -1; }
    int word()
    {
        int lo = byte();
        int hi = byte();
        return lo < 0 || hi < 0 ? -1 : lo | hi << 8;
    }
    // The concatenated data sub-blocks up to the terminator.
    bool blocks(std::vector<unsigned char> *out)
    {
        while (true) {
            int n = byte();
            if (n < 0 || !more(static_cast<size_t>(n)))
                return false;
            if (n == 0)
                return true;
            out->insert(out->end(), bytes_.begin() + pos_, bytes_.begin() + pos_ + n);
            pos_ += n;
        }
    }
    const unsigned char *here() const { return bytes_.data() + pos_; }
    void skip(size_t n) { pos_ += n; }

  private:
    const std::vector<unsigned char> &bytes_;
    size_t pos_ = 0;
};

bool decompress(const std::vector<unsigned char> &data, int minCodeSize, size_t count, std::vector<unsigned char> *out,
                std::string *error)
{
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    std::vector<std::vector<unsigned char>> table;
    auto reset = [&]() {
        table.clear();
        for (int i = 0; i < clear; ++i)
            table.push_back({static_cast<unsigned char>(i)});
        table.push_back({});
        table.push_back({});
    };
    reset();
    int size = minCodeSize + 1;
    size_t bitPos = 0;
    std::vector<unsigned char> previous;
    bool havePrevious = false;
    while (true) {
        if (bitPos + size > data.size() * 8) {
            *error = "the data ends without an end code";
            return false;
        }
        int code = 0;
        for (int b = 0; b < size; ++b, ++bitPos)
            code |= ((data[bitPos / 8] >> (bitPos % 8)) & 1) << b;
        if (code == clear) {
            reset();
            size = minCodeSize + 1;
            havePrevious = false;
            continue;
        }
        if (code == end)
            break;
        std::vector<unsigned char> entry;
        if (code < static_cast<int>(table.size()) && code != clear && code != end) {
            entry = table[code];
            if (havePrevious && table.size() < 4096) {
                std::vector<unsigned char> added = previous;
                added.push_back(entry[0]);
                table.push_back(added);
            }
        } else if (havePrevious && code == static_cast<int>(table.size())) {
            entry = previous;
            entry.push_back(previous[0]);
            table.push_back(entry);
        } else {
            *error = "a code beyond the table: " + std::to_string(code);
            return false;
        }
        out->insert(out->end(), entry.begin(), entry.end());
        previous = entry;
        havePrevious = true;
        if (static_cast<int>(table.size()) == (1 << size) && size < 12)
            ++size;
    }
    if (out->size() != count) {
        *error = "the frame has " + std::to_string(out->size()) + " pixels, not " + std::to_string(count);
        return false;
    }
    return true;
}

} // namespace

bool decodeGif(const std::vector<unsigned char> &bytes, DecodedGif *gif, std::string *error)
{
    Reader in(bytes);
    if (!in.more(13) || std::string(reinterpret_cast<const char *>(in.here()), 6) != "GIF89a") {
        *error = "no GIF89a header";
        return false;
    }
    in.skip(6);
    gif->width = in.word();
    gif->height = in.word();
    int flags = in.byte();
    in.skip(2);
    if (flags & 0x80)
        in.skip(3u << ((flags & 7) + 1));
    Image canvas(gif->width, gif->height, 0);
    int delay = 0;
    while (true) {
        int kind = in.byte();
        if (kind == 0x3B)
            return true;
        if (kind == 0x21) {
            int label = in.byte();
            std::vector<unsigned char> data;
            if (!in.blocks(&data)) {
                *error = "a cut extension";
                return false;
            }
            if (label == 0xF9 && data.size() == 4)
                delay = data[1] | data[2] << 8;
            if (label == 0xFF && data.size() >= 11 && std::string(data.begin(), data.begin() + 11) == "NETSCAPE2.0")
                gif->loops = true;
            continue;
        }
        if (kind != 0x2C) {
            *error = "an unknown block " + std::to_string(kind);
            return false;
        }
        DecodedFrame frame;
        frame.left = in.word();
        frame.top = in.word();
        frame.width = in.word();
        frame.height = in.word();
        int imageFlags = in.byte();
        if (!(imageFlags & 0x80) || frame.left + frame.width > gif->width || frame.top + frame.height > gif->height) {
            *error = "a frame without its colour table or outside the canvas";
            return false;
        }
        int entries = 2 << (imageFlags & 7);
        std::vector<uint32_t> palette;
        for (int i = 0; i < entries; ++i) {
            int r = in.byte(), g = in.byte(), b = in.byte();
            palette.push_back(static_cast<uint32_t>(r << 16 | g << 8 | b));
        }
        int minCodeSize = in.byte();
        std::vector<unsigned char> data, indices;
        if (minCodeSize < 2 || minCodeSize > 8 || !in.blocks(&data) ||
            !decompress(data, minCodeSize, static_cast<size_t>(frame.width) * frame.height, &indices, error)) {
            if (error->empty())
                *error = "bad image data";
            return false;
        }
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x)
                canvas.at(frame.left + x, frame.top + y) = palette[indices[static_cast<size_t>(y) * frame.width + x]];
        }
        frame.delayCs = delay;
        frame.canvas = canvas;
        gif->frames.push_back(std::move(frame));
    }
}

bool decodeGifFile(const std::string &path, DecodedGif *gif, std::string *error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return decodeGif(bytes, gif, error);
}
