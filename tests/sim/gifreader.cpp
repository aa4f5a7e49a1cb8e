// Animated GIF files read back with giflib: every frame slurped, then painted onto the canvas in turn.
#include "gifreader.h"

#include <gif_lib.h>

#include <cstdio>
#include <cstring>

namespace {

// The NETSCAPE2.0 application extension, and its sub-block 1 with a loop count of 0: forever.
bool loopsForever(const ExtensionBlock *blocks, int count)
{
    for (int i = 0; i + 1 < count; ++i) {
        const ExtensionBlock &name = blocks[i], &data = blocks[i + 1];
        if (name.Function == APPLICATION_EXT_FUNC_CODE && name.ByteCount == 11 &&
            std::memcmp(name.Bytes, "NETSCAPE2.0", 11) == 0 && data.Function == CONTINUE_EXT_FUNC_CODE &&
            data.ByteCount == 3 && data.Bytes[0] == 1 && data.Bytes[1] == 0 && data.Bytes[2] == 0)
            return true;
    }
    return false;
}

bool readSlurped(GifFileType *file, DecodedGif *gif, std::string *error)
{
    gif->width = file->SWidth;
    gif->height = file->SHeight;
    gif->loops = file->ImageCount > 0 &&
                 loopsForever(file->SavedImages[0].ExtensionBlocks, file->SavedImages[0].ExtensionBlockCount);
    Image canvas(gif->width, gif->height, 0);
    for (int i = 0; i < file->ImageCount; ++i) {
        const SavedImage &image = file->SavedImages[i];
        const GifImageDesc &desc = image.ImageDesc;
        if (!desc.ColorMap || desc.Left + desc.Width > gif->width || desc.Top + desc.Height > gif->height) {
            *error = "frame " + std::to_string(i) + " has no colour table of its own or lies outside the canvas";
            return false;
        }
        DecodedFrame frame;
        frame.left = desc.Left;
        frame.top = desc.Top;
        frame.width = desc.Width;
        frame.height = desc.Height;
        GraphicsControlBlock control;
        if (DGifSavedExtensionToGCB(file, i, &control) == GIF_OK)
            frame.delayCs = control.DelayTime;
        for (int y = 0; y < desc.Height; ++y) {
            for (int x = 0; x < desc.Width; ++x) {
                int index = image.RasterBits[static_cast<size_t>(y) * desc.Width + x];
                if (index >= desc.ColorMap->ColorCount) {
                    *error =
                        "frame " + std::to_string(i) + " uses colour " + std::to_string(index) + " beyond its table";
                    return false;
                }
                const GifColorType &c = desc.ColorMap->Colors[index];
                canvas.at(desc.Left + x, desc.Top + y) = static_cast<uint32_t>(c.Red << 16 | c.Green << 8 | c.Blue);
            }
        }
        frame.canvas = canvas;
        gif->frames.push_back(std::move(frame));
    }
    return true;
}

// giflib reads GIF87a too, which has no room for delays and looping.
bool isGif89a(const std::string &path)
{
    char header[6] = {};
    FILE *in = std::fopen(path.c_str(), "rb");
    bool read = in && std::fread(header, 1, sizeof header, in) == sizeof header;
    if (in)
        std::fclose(in);
    return read && std::memcmp(header, "GIF89a", sizeof header) == 0;
}

} // namespace

bool decodeGifFile(const std::string &path, DecodedGif *gif, std::string *error)
{
    if (!isGif89a(path)) {
        *error = path + ": no GIF89a header";
        return false;
    }
    int gifError = 0;
    GifFileType *file = DGifOpenFileName(path.c_str(), &gifError);
    if (!file) {
        *error = "cannot read " + path + ": " + GifErrorString(gifError);
        return false;
    }
    bool ok = DGifSlurp(file) == GIF_OK;
    if (!ok)
        *error = path + ": " + GifErrorString(file->Error);
    else
        ok = readSlurped(file, gif, error);
    DGifCloseFile(file, &gifError);
    return ok;
}
