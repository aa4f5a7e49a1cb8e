// Animated GIF files: frame differences and colour tables per frame; giflib encodes them.
#include "gif.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

// giflib's output function: the bytes go to the file the writer opened.
static int writeToFile(GifFileType *gif, const GifByteType *data, int length)
{
    return static_cast<int>(fwrite(data, 1, static_cast<size_t>(length), static_cast<FILE *>(gif->UserData)));
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

// The application extension that makes viewers loop the animation forever: NETSCAPE2.0, sub-block 1,
// a loop count of 0.
static bool putLoopForever(GifFileType *gif)
{
    static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType loopForever[] = {0x01, 0x00, 0x00};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR &&
           EGifPutExtensionBlock(gif, sizeof application, application) != GIF_ERROR &&
           EGifPutExtensionBlock(gif, sizeof loopForever, loopForever) != GIF_ERROR &&
           EGifPutExtensionTrailer(gif) != GIF_ERROR;
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
    int gifError = 0;
    gif_ = EGifOpen(file_, writeToFile, &gifError);
    if (!gif_) {
        *error = std::string("cannot write a GIF: ") + GifErrorString(gifError);
        fclose(file_);
        file_ = nullptr;
        return false;
    }
    width_ = width;
    height_ = height;
    frames_ = 0;
    failed_ = false;
    previous_ = Image();
    // Delays and looping need the GIF89a extensions; no global colour table: every frame has its own.
    EGifSetGifVersion(gif_, true);
    if (EGifPutScreenDesc(gif_, width, height, 8, 0, nullptr) == GIF_ERROR || !putLoopForever(gif_)) {
        *error = "cannot write " + path;
        close();
        return false;
    }
    return true;
}

void GifWriter::addFrame(const Image &frame, int delayMs)
{
    if (!gif_ || failed_ || frame.width != width_ || frame.height != height_)
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
    if (!writeFrame(frame, left, top, right - left + 1, bottom - top + 1, delayMs)) {
        failed_ = true;
        return;
    }
    previous_ = frame;
    ++frames_;
}

bool GifWriter::writeFrame(const Image &frame, int left, int top, int width, int height, int delayMs)
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
    GraphicsControlBlock control = {};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.UserInputFlag = false;
    control.DelayTime = std::min(std::max(2, (delayMs + 5) / 10), 0xFFFF);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    if (EGifPutExtension(gif_, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) == GIF_ERROR)
        return false;

    // A local colour table of 2^tableBits entries.
    std::vector<GifColorType> colours(static_cast<size_t>(1) << tableBits, GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size(); ++i)
        colours[i] = GifColorType{static_cast<GifByteType>(palette[i] >> 16), static_cast<GifByteType>(palette[i] >> 8),
                                  static_cast<GifByteType>(palette[i])};
    ColorMapObject *map = GifMakeMapObject(static_cast<int>(colours.size()), colours.data());
    if (!map)
        return false;
    bool ok = EGifPutImageDesc(gif_, left, top, width, height, false, map) != GIF_ERROR;
    GifFreeMapObject(map);
    // giflib masks the line it is given to the table's width, so each row is a copy.
    std::vector<GifPixelType> line(static_cast<size_t>(width));
    for (int y = 0; ok && y < height; ++y) {
        std::memcpy(line.data(), &indices[static_cast<size_t>(y) * width], line.size());
        ok = EGifPutLine(gif_, line.data(), width) != GIF_ERROR;
    }
    return ok;
}

bool GifWriter::close()
{
    if (!file_)
        return false;
    bool ok = !failed_;
    if (gif_) {
        int gifError = 0;
        ok = EGifCloseFile(gif_, &gifError) != GIF_ERROR && ok;
        gif_ = nullptr;
    }
    ok = !ferror(file_) && ok;
    ok = fclose(file_) == 0 && ok;
    file_ = nullptr;
    return ok;
}
