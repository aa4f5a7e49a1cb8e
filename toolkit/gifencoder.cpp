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
bool putControl(GifFileType *gif, const GifFrame &frame)
{
    if (frame.delay < 0 && frame.transparent < 0)
        return true;
    GraphicsControlBlock control = {};
    control.DisposalMode = frame.delay >= 0 ? DISPOSE_DO_NOT : DISPOSAL_UNSPECIFIED;
    control.UserInputFlag = false;
    control.DelayTime = frame.delay >= 0 ? frame.delay : 0;
    control.TransparentColor = frame.transparent >= 0 ? frame.transparent : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifGCBToExtension(&control, extension);
    return EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, sizeof extension, extension) != GIF_ERROR;
}

bool putFrame(GifFileType *gif, const GifFrame &frame)
{
    const Indexed &picture = frame.picture;
    ColorMapObject *map = frame.ownPalette ? colourTable(picture.palette) : nullptr;
    bool ok =
        (!frame.ownPalette || map) && putControl(gif, frame) &&
        EGifPutImageDesc(gif, frame.left, frame.top, picture.width, picture.height, frame.interlaced, map) != GIF_ERROR;
    GifFreeMapObject(map);
    // The rows in the order the file keeps them: interlaced, every eighth from 0, from 4, every
    // fourth from 2, every second from 1.
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    // giflib masks the line it is given to the table's width, so each row is a copy.
    std::vector<GifPixelType> line((size_t)picture.width);
    for (int pass = 0; pass < (frame.interlaced ? 4 : 1); ++pass) {
        for (int y = frame.interlaced ? start[pass] : 0; ok && y < picture.height;
             y += frame.interlaced ? step[pass] : 1) {
            std::memcpy(line.data(), &picture.indices[(size_t)y * picture.width], line.size());
            ok = EGifPutLine(gif, line.data(), picture.width) != GIF_ERROR;
        }
    }
    return ok;
}

} // namespace

std::vector<uint8_t> encodeGif(const GifLayout &layout, const std::vector<GifFrame> &frames)
{
    std::vector<uint8_t> bytes;
    int error = 0;
    GifFileType *gif = EGifOpen(&bytes, appendBytes, &error);
    if (!gif)
        return {};
    EGifSetGifVersion(gif, layout.gif89);
    ColorMapObject *map = layout.palette.empty() ? nullptr : colourTable(layout.palette);
    // The colour resolution is the table's; without one, the frames' tables may use all 8 bits.
    bool ok = (layout.palette.empty() || map) &&
              EGifPutScreenDesc(gif, layout.width, layout.height, map ? tableBits(layout.palette.size()) : 8, 0, map) !=
                  GIF_ERROR &&
              (!layout.loop || putLoopForever(gif));
    GifFreeMapObject(map);
    for (const GifFrame &frame : frames)
        ok = ok && putFrame(gif, frame);
    ok = EGifCloseFile(gif, &error) != GIF_ERROR && ok;
    return ok ? bytes : std::vector<uint8_t>();
}
