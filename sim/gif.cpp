// Animated GIF files: frame differences, colour tables per frame and LZW compression.
#include "gif.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

// LZW codes are at most 12 bits wide, so the dictionary holds 4096 entries.
static const int maxCodes = 4096;
static const int maxCodeBits = 12;

namespace {

// Collects codes of varying width, least significant bit first, into data sub-blocks of at most
// 255 bytes as the format wants them.
class BitWriter {
  public:
    explicit BitWriter(FILE *file) : file_(file) {}

    void write(int code, int bits)
    {
        accumulator_ |= static_cast<uint32_t>(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            put(static_cast<unsigned char>(accumulator_ & 0xFF));
            accumulator_ >>= 8;
            count_ -= 8;
        }
    }

    void finish()
    {
        if (count_ > 0)
            put(static_cast<unsigned char>(accumulator_ & 0xFF));
        accumulator_ = 0;
        count_ = 0;
        flushBlock();
        fputc(0, file_); // the block terminator
    }

  private:
    void put(unsigned char byte)
    {
        block_[blockSize_++] = byte;
        if (blockSize_ == 255)
            flushBlock();
    }
    void flushBlock()
    {
        if (blockSize_ == 0)
            return;
        fputc(blockSize_, file_);
        fwrite(block_, 1, blockSize_, file_);
        blockSize_ = 0;
    }

    FILE *file_;
    uint32_t accumulator_ = 0;
    int count_ = 0;
    unsigned char block_[255];
    int blockSize_ = 0;
};

} // namespace

static void putWord(FILE *file, int value)
{
    fputc(value & 0xFF, file);
    fputc((value >> 8) & 0xFF, file);
}

// Compresses colour indices with the variable-width LZW of the format.
static void compress(FILE *file, const std::vector<unsigned char> &indices, int minCodeSize)
{
    fputc(minCodeSize, file);
    BitWriter bits(file);
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    // next[code * 256 + byte]: the code of the string `code` followed by `byte`, 0 if none yet.
    std::vector<uint16_t> next(static_cast<size_t>(maxCodes) * 256, 0);
    int codeSize = minCodeSize + 1;
    int lastCode = endCode;

    bits.write(clearCode, codeSize);
    int current = indices.empty() ? -1 : indices[0];
    for (size_t i = 1; i < indices.size(); ++i) {
        unsigned char byte = indices[i];
        uint16_t found = next[static_cast<size_t>(current) * 256 + byte];
        if (found) {
            current = found;
            continue;
        }
        bits.write(current, codeSize);
        next[static_cast<size_t>(current) * 256 + byte] = static_cast<uint16_t>(++lastCode);
        // The reader widens its codes one entry later than the writer adds them, so the writer
        // widens once the newest entry needs the extra bit.
        if (lastCode >= (1 << codeSize) && codeSize < maxCodeBits)
            ++codeSize;
        if (lastCode == maxCodes - 1) {
            bits.write(clearCode, codeSize);
            std::fill(next.begin(), next.end(), 0);
            codeSize = minCodeSize + 1;
            lastCode = endCode;
        }
        current = byte;
    }
    if (current >= 0)
        bits.write(current, codeSize);
    bits.write(endCode, codeSize);
    bits.finish();
}

static int squaredDistance(uint32_t a, uint32_t b)
{
    int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
    int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
    int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

// A colour table of at most 256 entries for the pixels, and each pixel's index in it. The skin's
// pictures use few colours, so the table is usually exact; otherwise the most frequent colours
// are kept and the others take the nearest of them.
static std::vector<uint32_t> makePalette(const std::vector<uint32_t> &pixels, std::vector<unsigned char> *indices)
{
    std::unordered_map<uint32_t, int> counts;
    for (uint32_t p : pixels)
        ++counts[p];
    std::vector<std::pair<int, uint32_t>> byCount;
    byCount.reserve(counts.size());
    for (const auto &entry : counts)
        byCount.emplace_back(entry.second, entry.first);
    std::sort(byCount.begin(), byCount.end(), [](const std::pair<int, uint32_t> &a, const std::pair<int, uint32_t> &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<uint32_t> palette;
    std::unordered_map<uint32_t, unsigned char> indexOf;
    for (const auto &entry : byCount) {
        if (palette.size() == 256)
            break;
        indexOf[entry.second] = static_cast<unsigned char>(palette.size());
        palette.push_back(entry.second);
    }
    for (const auto &entry : byCount) {
        if (indexOf.count(entry.second))
            continue;
        size_t best = 0;
        for (size_t i = 1; i < palette.size(); ++i) {
            if (squaredDistance(palette[i], entry.second) < squaredDistance(palette[best], entry.second))
                best = i;
        }
        indexOf[entry.second] = static_cast<unsigned char>(best);
    }
    indices->resize(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i)
        (*indices)[i] = indexOf[pixels[i]];
    return palette;
}

GifWriter::~GifWriter()
{
    if (file_)
        close();
}

bool GifWriter::open(const std::string &path, int width, int height, std::string *error)
{
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF) {
        *error = "bad size for an animation";
        return false;
    }
    file_ = fopen(path.c_str(), "wb");
    if (!file_) {
        *error = "cannot write " + path;
        return false;
    }
    width_ = width;
    height_ = height;
    frames_ = 0;
    previous_ = Image();
    fwrite("GIF89a", 1, 6, file_);
    putWord(file_, width);
    putWord(file_, height);
    fputc(0x00, file_); // no global colour table: every frame has its own
    fputc(0, file_);    // background colour index
    fputc(0, file_);    // square pixels
    // The application extension that makes viewers loop the animation forever.
    static const unsigned char loop[] = {0x21, 0xFF, 0x0B, 'N', 'E',  'T',  'S',  'C',  'A', 'P',
                                         'E',  '2',  '.',  '0', 0x03, 0x01, 0x00, 0x00, 0x00};
    fwrite(loop, 1, sizeof loop, file_);
    return true;
}

void GifWriter::addFrame(const Image &frame, int delayMs)
{
    if (!file_ || frame.width != width_ || frame.height != height_)
        return;
    int left = 0, top = 0, right = width_ - 1, bottom = height_ - 1;
    if (frames_ > 0) {
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
    writeFrame(frame, left, top, right - left + 1, bottom - top + 1, delayMs);
    previous_ = frame;
    ++frames_;
}

void GifWriter::writeFrame(const Image &frame, int left, int top, int width, int height, int delayMs)
{
    std::vector<uint32_t> pixels;
    pixels.reserve(static_cast<size_t>(width) * height);
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x)
            pixels.push_back(frame.at(x, y));
    }
    std::vector<unsigned char> indices;
    std::vector<uint32_t> palette = makePalette(pixels, &indices);
    int tableBits = 1;
    while ((1 << tableBits) < static_cast<int>(palette.size()))
        ++tableBits;

    // Graphic control: the frame stays in place under the next one, for its delay.
    int centiseconds = std::max(2, (delayMs + 5) / 10);
    fputc(0x21, file_);
    fputc(0xF9, file_);
    fputc(4, file_);
    fputc(1 << 2, file_); // disposal: leave the frame in place
    putWord(file_, std::min(centiseconds, 0xFFFF));
    fputc(0, file_);
    fputc(0, file_);

    fputc(0x2C, file_);
    putWord(file_, left);
    putWord(file_, top);
    putWord(file_, width);
    putWord(file_, height);
    fputc(0x80 | (tableBits - 1), file_); // a local colour table of 2^tableBits entries
    for (int i = 0; i < (1 << tableBits); ++i) {
        uint32_t c = i < static_cast<int>(palette.size()) ? palette[i] : 0;
        fputc((c >> 16) & 0xFF, file_);
        fputc((c >> 8) & 0xFF, file_);
        fputc(c & 0xFF, file_);
    }
    compress(file_, indices, std::max(2, tableBits));
}

bool GifWriter::close()
{
    if (!file_)
        return false;
    fputc(0x3B, file_);
    bool ok = !ferror(file_);
    ok = fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
}
