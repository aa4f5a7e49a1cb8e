// Writes the skin's image files with libpng and giflib, in memory.
#include "imagefile.h"

#include <gif_lib.h>
#include <png.h>

#include <algorithm>
#include <cstring>

#include "dib.h"

namespace skin {

namespace {

void appendPng(png_structp png, png_bytep data, png_size_t length)
{
    std::vector<uint8_t> *out = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

int pngBitDepth(size_t colours)
{
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

int appendGif(GifFileType *gif, const GifByteType *data, int length)
{
    std::vector<uint8_t> *out = static_cast<std::vector<uint8_t> *>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

} // namespace

static const struct {
    const char *name;
    StoredFormat format;
} storedFormats[] = {{"png", STORED_PNG}, {"gif", STORED_GIF}, {"bmp", STORED_BMP}, {"bitmap", STORED_BITMAP}};

bool storedFormatFromName(const std::string &name, StoredFormat *format)
{
    for (const auto &n : storedFormats)
        if (name == n.name) {
            *format = n.format;
            return true;
        }
    return false;
}

const char *storedFormatName(StoredFormat format)
{
    for (const auto &n : storedFormats)
        if (n.format == format)
            return n.name;
    return "";
}

std::vector<std::string> storedFormatNames()
{
    std::vector<std::string> names;
    for (const auto &n : storedFormats)
        names.push_back(n.name);
    return names;
}

const char *storedFormatExtension(StoredFormat format)
{
    switch (format) {
    case STORED_PNG:
        return "png";
    case STORED_GIF:
        return "gif";
    default:
        return "bmp";
    }
}

namespace {

// Everything libpng is handed, made before it runs.
struct PngJob {
    const Indexed *image;
    int depth;
    std::vector<png_color> palette;
    std::vector<png_byte> row;
    std::vector<uint8_t> *out;
};

void writePngRows(png_structp png, png_infop info, PngJob &job)
{
    const Indexed &image = *job.image;
    png_set_write_fn(png, job.out, appendPng, flushNothing);
    png_set_compression_level(png, 9);
    png_set_compression_mem_level(png, 9);
    // Prediction filters help photographs; flat palette pictures compress best without them.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_set_IHDR(png, info, (png_uint_32)image.width, (png_uint_32)image.height, job.depth, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(png, info, job.palette.data(), (int)job.palette.size());
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        std::fill(job.row.begin(), job.row.end(), 0);
        for (int x = 0; x < image.width; ++x) {
            int bit = x * job.depth;
            // The leftmost pixel sits in the most significant bits of its byte.
            job.row[bit / 8] |= (png_byte)(image.indices[(size_t)y * image.width + x] << (8 - job.depth - bit % 8));
        }
        png_write_row(png, job.row.data());
    }
    png_write_end(png, nullptr);
}

// libpng reports an error by a longjmp to here; nothing of this frame changes after the setjmp.
bool runPngJob(png_structp png, png_infop info, PngJob &job)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    writePngRows(png, info, job);
    return true;
}

} // namespace

std::vector<uint8_t> encodePng(const Indexed &image)
{
    std::vector<uint8_t> out;
    PngJob job;
    job.image = &image;
    job.depth = pngBitDepth(image.palette.size());
    job.out = &out;
    job.row.resize(((size_t)image.width * job.depth + 7) / 8);
    for (uint32_t c : image.palette)
        job.palette.push_back(png_color{(png_byte)(c >> 16), (png_byte)(c >> 8), (png_byte)c});
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info && runPngJob(png, info, job);
    png_destroy_write_struct(&png, &info);
    return ok ? out : std::vector<uint8_t>();
}

std::vector<uint8_t> encodeGif(const Indexed &image)
{
    std::vector<uint8_t> out;
    int bits = 1;
    while ((size_t)1 << bits < image.palette.size())
        ++bits;
    std::vector<GifColorType> colours((size_t)1 << bits, GifColorType{0, 0, 0});
    for (size_t i = 0; i < image.palette.size(); ++i)
        colours[i] = GifColorType{(GifByteType)(image.palette[i] >> 16), (GifByteType)(image.palette[i] >> 8),
                                  (GifByteType)image.palette[i]};
    ColorMapObject *map = GifMakeMapObject((int)colours.size(), colours.data());
    int error = 0;
    GifFileType *gif = map ? EGifOpen(&out, appendGif, &error) : nullptr;
    bool ok = gif != nullptr;
    if (ok) {
        EGifSetGifVersion(gif, false);
        ok = EGifPutScreenDesc(gif, image.width, image.height, bits, 0, map) != GIF_ERROR &&
             EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) != GIF_ERROR;
        std::vector<GifPixelType> line((size_t)image.width);
        for (int y = 0; ok && y < image.height; ++y) {
            std::memcpy(line.data(), &image.indices[(size_t)y * image.width], line.size());
            ok = EGifPutLine(gif, line.data(), image.width) != GIF_ERROR;
        }
        if (EGifCloseFile(gif, &error) == GIF_ERROR)
            ok = false;
    }
    GifFreeMapObject(map);
    return ok ? out : std::vector<uint8_t>();
}

std::vector<uint8_t> encodeStored(const Indexed &image, StoredFormat format)
{
    switch (format) {
    case STORED_PNG:
        return encodePng(image);
    case STORED_GIF:
        return encodeGif(image);
    case STORED_BMP:
        return bmpFile(encodeDib(image, bitsForColours(image.palette.size())));
    default:
        return encodeDib(image, bitsForColours(image.palette.size()));
    }
}

} // namespace skin
