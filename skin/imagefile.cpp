// Writes the skin's image files with libpng and the toolkit's GIF encoder, in memory.
#include "imagefile.h"

#include <png.h>

#include <algorithm>

#include "dib.h"
#include "gifencoder.h"

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

std::vector<uint8_t> encodeStored(const Indexed &image, StoredFormat format)
{
    switch (format) {
    case STORED_PNG:
        return encodePng(image);
    case STORED_GIF: // a GIF87a of one frame, its colour table the picture's palette
        return encodeGif(GifLayout{image.width, image.height, image.palette, false, false}, {GifFrame{image}});
    case STORED_BMP:
        return bmpFile(encodeDib(image, bitsForColours(image.palette.size())));
    default:
        return encodeDib(image, bitsForColours(image.palette.size()));
    }
}

} // namespace skin
