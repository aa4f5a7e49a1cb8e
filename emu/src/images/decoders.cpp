// PNG, GIF and JPEG files decoded by the desktop's libraries: libpng, giflib and libjpeg-turbo.
#include "images/decoders.h"

#include <gif_lib.h>
#include <png.h>
#include <turbojpeg.h>

#include <cstring>
#include <vector>

namespace emu {

// ---- PNG ----

bool decodePng(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info)
{
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size))
        return failWith(info, "the PNG header cannot be read");
    info->width = (int)image.width;
    info->height = (int)image.height;
    info->frames = 1;
    if (!sizeAllowed(image.width, image.height)) {
        png_image_free(&image);
        return failWith(info, "the picture is too large");
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return failWith(info, "the PNG data is truncated or corrupt");
    }
    startPicture(out, (int)image.width, (int)image.height);
    for (size_t i = 0; i < out->pixels.size(); ++i) {
        const uint8_t *p = &rgba[4 * i];
        if (p[3] != 255)
            info->transparent = true;
        out->pixels[i] = overBlack(p[0], p[3]) << 16 | overBlack(p[1], p[3]) << 8 | overBlack(p[2], p[3]);
    }
    return true;
}

// ---- GIF ----

namespace {

struct GifSource {
    const uint8_t *data;
    size_t size;
    size_t at;
};

int readGif(GifFileType *gif, GifByteType *buffer, int length)
{
    GifSource *source = static_cast<GifSource *>(gif->UserData);
    size_t left = source->size - source->at;
    size_t n = length < 0 ? 0 : ((size_t)length < left ? (size_t)length : left);
    memcpy(buffer, source->data + source->at, n);
    source->at += n;
    return (int)n;
}

// The graphic control extension's transparent colour index, or -1.
int transparentIndexOf(const GifByteType *extension)
{
    if (extension[0] >= 4 && (extension[1] & 1))
        return extension[4];
    return -1;
}

// Draws the frame whose descriptor was just read onto the logical screen, row by row in the
// file's order (interlaced files in their four passes); pixels beyond the screen are clipped.
bool drawGifFrame(GifFileType *gif, int transparentIndex, Picture *out, ImageFileInfo *info)
{
    const GifImageDesc &frame = gif->Image;
    const ColorMapObject *colours = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!colours)
        return failWith(info, "the GIF has no colour table");
    if (!sizeAllowed(frame.Width, frame.Height))
        return failWith(info, "the GIF's first frame is too large");
    if (frame.Left != 0 || frame.Top != 0 || frame.Width < out->width || frame.Height < out->height)
        info->transparent = true; // the screen's uncovered part shows black
    static const int passStart[4] = {0, 4, 2, 1};
    static const int passStep[4] = {8, 8, 4, 2};
    int passes = frame.Interlace ? 4 : 1;
    std::vector<GifPixelType> line((size_t)frame.Width);
    for (int pass = 0; pass < passes; ++pass) {
        int start = frame.Interlace ? passStart[pass] : 0;
        int step = frame.Interlace ? passStep[pass] : 1;
        for (int row = start; row < frame.Height; row += step) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                return failWith(info, "the GIF data is truncated or corrupt");
            long long y = (long long)frame.Top + row;
            for (int x = 0; x < frame.Width; ++x) {
                long long sx = (long long)frame.Left + x;
                if (y >= out->height || sx >= out->width)
                    continue;
                int index = line[x];
                uint32_t rgb = 0;
                if (index == transparentIndex) {
                    info->transparent = true;
                } else if (index < colours->ColorCount) {
                    const GifColorType &c = colours->Colors[index];
                    rgb = (uint32_t)c.Red << 16 | (uint32_t)c.Green << 8 | c.Blue;
                }
                out->pixels[(size_t)y * out->width + (size_t)sx] = rgb;
            }
        }
    }
    return true;
}

// Passes over a frame's compressed data without decoding it.
bool skipGifFrame(GifFileType *gif)
{
    int codeSize;
    GifByteType *block;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
        return false;
    while (block)
        if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

// Reads extensions, keeping the transparent index of the graphic control that precedes the first frame.
bool readGifExtension(GifFileType *gif, bool beforeFirstFrame, int *transparentIndex)
{
    int code;
    GifByteType *block;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return false;
    if (block && code == GRAPHICS_EXT_FUNC_CODE && beforeFirstFrame)
        *transparentIndex = transparentIndexOf(block);
    while (block)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
    return true;
}

bool walkGif(GifFileType *gif, Picture *out, ImageFileInfo *info)
{
    info->width = gif->SWidth;
    info->height = gif->SHeight;
    if (!sizeAllowed(gif->SWidth, gif->SHeight))
        return failWith(info, "the picture is too large or empty");
    startPicture(out, gif->SWidth, gif->SHeight);
    int transparentIndex = -1;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return failWith(info, "the GIF data is truncated or corrupt");
        switch (type) {
        case IMAGE_DESC_RECORD_TYPE:
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                return failWith(info, "the GIF data is truncated or corrupt");
            if (++info->frames == 1) {
                if (!drawGifFrame(gif, transparentIndex, out, info))
                    return false;
            } else if (!skipGifFrame(gif)) {
                return failWith(info, "the GIF data is truncated or corrupt");
            }
            break;
        case EXTENSION_RECORD_TYPE:
            if (!readGifExtension(gif, info->frames == 0, &transparentIndex))
                return failWith(info, "the GIF data is truncated or corrupt");
            break;
        case TERMINATE_RECORD_TYPE:
            if (info->frames == 0)
                return failWith(info, "the GIF holds no picture");
            return true;
        default:
            return failWith(info, "the GIF data is truncated or corrupt");
        }
    }
}

} // namespace

bool decodeGif(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info)
{
    GifSource source = {data, size, 0};
    int error = 0;
    GifFileType *gif = DGifOpen(&source, readGif, &error);
    if (!gif)
        return failWith(info, "the GIF header cannot be read");
    bool ok = walkGif(gif, out, info);
    DGifCloseFile(gif, &error);
    return ok;
}

// ---- JPEG ----

bool decodeJpeg(const uint8_t *data, size_t size, Picture *out, ImageFileInfo *info)
{
    tjhandle decoder = tjInitDecompress();
    if (!decoder)
        return failWith(info, "the JPEG decoder cannot start");
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    bool ok = false;
    // A stream of tables alone reads as a header without a picture.
    if (tjDecompressHeader3(decoder, data, (unsigned long)size, &width, &height, &subsampling, &colourspace) != 0 ||
        width <= 0 || height <= 0) {
        failWith(info, "the JPEG header cannot be read");
    } else {
        info->width = width;
        info->height = height;
        info->frames = 1;
        if (!sizeAllowed(width, height)) {
            failWith(info, "the picture is too large");
        } else {
            std::vector<uint8_t> rgb((size_t)width * height * 3);
            // A warning (data cut short, say) fails the decode too: half a picture is no picture.
            if (tjDecompress2(decoder, data, (unsigned long)size, rgb.data(), width, 0, height, TJPF_RGB, 0) != 0) {
                failWith(info, "the JPEG data is truncated or corrupt");
            } else {
                startPicture(out, width, height);
                for (size_t i = 0; i < out->pixels.size(); ++i)
                    out->pixels[i] = (uint32_t)rgb[3 * i] << 16 | (uint32_t)rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
                ok = true;
            }
        }
    }
    tjDestroy(decoder);
    return ok;
}

} // namespace emu
