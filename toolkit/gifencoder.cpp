// GIF files through giflib: colour tables, frames and their extensions.
#include "gifencoder.h"

#include <gif_lib.h>

#include <cstring>

namespace {

// giflib's output function: the bytes go to the encoder's buffer.
int appendBytes(GifFileType *gif, const GifByteType *data, int length)
{
    std::vector<uint8_t> *out = static_cast<std::vector<uint8_t> *>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

// Bits of a colour table that holds the palette: GIF tables have 2^bits entries, at least two.
int tableBits(size_t colours)
{
    int bits = 1;
    while (((size_t)1 << bits) < colours)
        ++bits;
    return bits;
}

// The palette as giflib's colour table, padded with black to its power of two.
ColorMapObject *colourTable(const std::vector<uint32_t> &palette)
{
    std::vector<GifColorType> colours((size_t)1 << tableBits(palette.size()), GifColorType{0, 0, 0});
    for (size_t i = 0; i < palette.size(); ++i)
        colours[i] =
            GifColorType{(GifByteType)(palette[i] >> 16), (GifByteType)(palette[i] >> 8), (GifByteType)palette[i]};
    return GifMakeMapObject((int)colours.size(), colours.data());
}

// The application extension that makes viewers loop the animation forever: NETSCAPE2.0, sub-block 1,
// a loop count of 0.
bool putLoopForever(GifFileType *gif)
{
    static const GifByteType application[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    static const GifByteType loopForever[] = {0x01, 0x00, 0x00};
    return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR &&
           EGifPutExtensionBlock(gif, sizeof application, application) != GIF_ERROR &&
           EGifPutExtensionBlock(gif, sizeof loopForever, loopForever) != GIF_ERROR &&
           EGifPutExtensionTrailer(gif) != GIF_ERROR;
}

// The graphic control block of a timed or see-through frame.
bool putControl(GifFileType *gif, const GifFrame &place)
{
    if (place.delay < 0 && place.transparent < 0)
        return true;
    GraphicsControlBlock control = {};
    control.DisposalMode = place.delay >= 0 ? DISPOSE_DO_NOT : DISPOSAL_UNSPECIFIED;
    control.UserInputFlag = false;
    control.DelayTime = place.delay >= 0 ? place.delay : 0;
    control.TransparentColor = place.transparent >= 0 ? place.transparent : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) != GIF_ERROR;
}

} // namespace

GifEncoder::~GifEncoder()
{
    if (gif_)
        close();
}

bool GifEncoder::open(int width, int height, const std::vector<uint32_t> &palette, bool gif89, bool loop)
{
    bytes_.clear();
    failed_ = false;
    int error = 0;
    gif_ = EGifOpen(&bytes_, appendBytes, &error);
    if (!gif_)
        return false;
    EGifSetGifVersion(gif_, gif89);
    ColorMapObject *map = palette.empty() ? nullptr : colourTable(palette);
    // The colour resolution is the table's; without one, the frames' tables may use all 8 bits.
    bool ok = (palette.empty() || map) &&
              EGifPutScreenDesc(gif_, width, height, map ? tableBits(palette.size()) : 8, 0, map) != GIF_ERROR &&
              (!loop || putLoopForever(gif_));
    GifFreeMapObject(map);
    failed_ = !ok;
    return ok;
}

bool GifEncoder::addFrame(const Indexed &frame, const GifFrame &place)
{
    if (!gif_ || failed_)
        return false;
    ColorMapObject *map = place.ownPalette ? colourTable(frame.palette) : nullptr;
    bool ok =
        (!place.ownPalette || map) && putControl(gif_, place) &&
        EGifPutImageDesc(gif_, place.left, place.top, frame.width, frame.height, place.interlaced, map) != GIF_ERROR;
    GifFreeMapObject(map);
    // The rows in the order the file keeps them: interlaced, every eighth from 0, from 4, every
    // fourth from 2, every second from 1.
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    // giflib masks the line it is given to the table's width, so each row is a copy.
    std::vector<GifPixelType> line((size_t)frame.width);
    for (int pass = 0; pass < (place.interlaced ? 4 : 1); ++pass) {
        for (int y = place.interlaced ? start[pass] : 0; ok && y < frame.height;
             y += place.interlaced ? step[pass] : 1) {
            std::memcpy(line.data(), &frame.indices[(size_t)y * frame.width], line.size());
            ok = EGifPutLine(gif_, line.data(), frame.width) != GIF_ERROR;
        }
    }
    failed_ = !ok;
    return ok;
}

std::vector<uint8_t> GifEncoder::close()
{
    if (!gif_)
        return {};
    int error = 0;
    bool ok = EGifCloseFile(gif_, &error) != GIF_ERROR && !failed_;
    gif_ = nullptr;
    std::vector<uint8_t> bytes;
    if (ok)
        bytes.swap(bytes_);
    bytes_.clear();
    return bytes;
}

std::vector<uint8_t> encodeGif(const Indexed &image)
{
    GifEncoder gif;
    if (!gif.open(image.width, image.height, image.palette, false, false) || !gif.addFrame(image, GifFrame()))
        return {};
    return gif.close();
}
