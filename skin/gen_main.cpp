// kweno-skin-gen: draws the default skin from the layout tables and writes its pictures and resource script.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "catalogue.h"
#include "dib.h"
#include "imagefile.h"
#include "pictures.h"
#include "quantise.h"

using namespace skin;

namespace {

struct Options {
    std::string out;
    std::string font;
    std::string png;
    int bits = 4;
    StoredFormat format = STORED_PNG;
    std::string deviceHeader;
    bool labels = true;
    bool quiet = false;
    std::set<LONG> omit;
    std::map<LONG, std::pair<int, int>> resize;
};

const char USAGE[] =
    "usage: kweno-skin-gen --out DIR --font FILE.ttf [--format png|gif|bmp|bitmap] [--bits 4|8] [--png DIR]\n"
    "                      [--omit ID]... [--resize ID WxH]... [--no-labels] [--quiet]\n"
    "       kweno-skin-gen --device-header MODULE.dll\n"
    "Writes DIR/images/* and DIR/resources.rc for the resource compiler: faces and popups as image\n"
    "files under the resource type GIF (PNG by default; bitmap keeps them as RT_BITMAP, which the\n"
    "device cannot show), the icons as bitmaps, at most 2^bits colours each.\n"
    "--omit and --resize make deliberately broken modules, for testing checkers.\n"
    "--device-header marks a linked resource-only module as made for the device (ARM).\n";

int fail(const std::string &message)
{
    std::fprintf(stderr, "kweno-skin-gen: %s\n", message.c_str());
    return 1;
}

bool parseId(const char *text, LONG &id)
{
    char *end = nullptr;
    long value = std::strtol(text, &end, 0);
    id = (LONG)value;
    return end && *end == 0 && end != text && value > 0 && value < 0x10000;
}

bool parseOptions(int argc, char **argv, Options &options, std::string &error)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue) {
            options.out = argv[++i];
        } else if (arg == "--font" && hasValue) {
            options.font = argv[++i];
        } else if (arg == "--png" && hasValue) {
            options.png = argv[++i];
        } else if (arg == "--format" && hasValue) {
            if (!storedFormatFromName(argv[++i], &options.format)) {
                error = "--format takes png, gif, bmp or bitmap";
                return false;
            }
        } else if (arg == "--device-header" && hasValue) {
            options.deviceHeader = argv[++i];
        } else if (arg == "--bits" && hasValue) {
            options.bits = std::atoi(argv[++i]);
            if (options.bits != 4 && options.bits != 8) {
                error = "--bits takes 4 or 8";
                return false;
            }
        } else if (arg == "--omit" && hasValue) {
            LONG id;
            if (!parseId(argv[++i], id)) {
                error = std::string("not an image id: ") + argv[i];
                return false;
            }
            options.omit.insert(id);
        } else if (arg == "--resize" && i + 2 < argc) {
            LONG id;
            int width = 0, height = 0;
            if (!parseId(argv[++i], id) || std::sscanf(argv[++i], "%dx%d", &width, &height) != 2 || width < 1 ||
                height < 1) {
                error = "--resize takes an image id and WIDTHxHEIGHT";
                return false;
            }
            options.resize[id] = {width, height};
        } else if (arg == "--no-labels") {
            options.labels = false;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else {
            error = "unknown or incomplete option " + arg;
            return false;
        }
    }
    if (options.deviceHeader.empty() && (options.out.empty() || options.font.empty())) {
        error = "--out and --font are required";
        return false;
    }
    return true;
}

Image render(const ImageEntry &entry, const Font &font, const DrawOptions &draw)
{
    switch (entry.kind) {
    case IMAGE_FACE:
        return drawFace(entry.face, entry.picture, font, draw);
    case IMAGE_POPUP:
        return drawPopup(entry.list, entry.picture, font, draw);
    default:
        return drawIcon(entry.picture == PICTURE_NIGHT ? VARIANT_NIGHT : VARIANT_DAY);
    }
}

bool writeFile(const std::filesystem::path &path, const std::vector<uint8_t> &bytes)
{
    std::ofstream file(path, std::ios::binary);
    file.write((const char *)bytes.data(), (std::streamsize)bytes.size());
    return (bool)file;
}

// The linker knows no Windows CE target, so it writes an i386 machine type; the module holds no
// code, only resources, so the field is all that differs in a module for the ARM device.
int writeDeviceHeader(const std::string &path)
{
    const uint16_t IMAGE_FILE_MACHINE_ARM = 0x01C0;
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    uint8_t head[0x40];
    if (!file.read((char *)head, sizeof head) || head[0] != 'M' || head[1] != 'Z')
        return fail(path + ": not a module");
    uint32_t pe = head[0x3C] | head[0x3D] << 8 | head[0x3E] << 16 | (uint32_t)head[0x3F] << 24;
    char signature[6];
    file.seekg(pe);
    if (!file.read(signature, sizeof signature) || std::memcmp(signature, "PE\0\0", 4) != 0)
        return fail(path + ": not a module");
    const uint8_t machine[2] = {(uint8_t)IMAGE_FILE_MACHINE_ARM, (uint8_t)(IMAGE_FILE_MACHINE_ARM >> 8)};
    file.seekp(pe + 4);
    file.write((const char *)machine, sizeof machine);
    return file ? 0 : fail("cannot write " + path);
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "kweno-skin-gen: %s\n%s", error.c_str(), USAGE);
        return 2;
    }
    if (!options.deviceHeader.empty())
        return writeDeviceHeader(options.deviceHeader);
    Font font;
    error = font.open(options.font);
    if (!error.empty())
        return fail(error);
    // A label the font cannot draw would come out as an empty box on the device: refuse.
    std::vector<uint32_t> missing = missingGlyphs(font, labelCharacters());
    for (uint32_t c : missing)
        std::fprintf(stderr, "kweno-skin-gen: the font %s has no glyph for %s\n", options.font.c_str(),
                     describeCharacter(c).c_str());
    if (!missing.empty())
        return 1;

    std::filesystem::path out(options.out), images = out / "images";
    std::error_code ec;
    std::filesystem::create_directories(images, ec);
    if (!options.png.empty())
        std::filesystem::create_directories(options.png, ec);

    std::string script = "// The default skin's pictures, written by kweno-skin-gen from the layout tables.\n"
                         "LANGUAGE 0, 0\n";
    DrawOptions draw;
    draw.labels = options.labels;
    size_t pictures = 0, dataBytes = 0;
    double worstError = 0;
    for (const ImageEntry &entry : allImages()) {
        if (options.omit.count(entry.id))
            continue;
        Image image = render(entry, font, draw);
        auto resize = options.resize.find(entry.id);
        if (resize != options.resize.end())
            image = resized(image, resize->second.first, resize->second.second, image.at(0, 0));
        Indexed indexed = quantise(image, 1 << options.bits);
        worstError = std::max(worstError, meanColourError(image, expand(indexed)));
        // The icons go through LoadBitmapW, which reads bitmap resources only.
        bool bitmap = entry.kind == IMAGE_ICON || options.format == STORED_BITMAP;
        StoredFormat format = entry.kind == IMAGE_ICON ? STORED_BITMAP : options.format;
        std::vector<uint8_t> data = encodeStored(indexed, format);
        if (data.empty())
            return fail("cannot encode " + entry.name);
        // The resource compiler takes a bitmap from a whole .bmp file and stores only its DIB.
        std::string file = entry.name + "." + (bitmap ? "bmp" : storedFormatExtension(format));
        if (!writeFile(images / file, bitmap ? bmpFile(data) : data))
            return fail("cannot write " + (images / file).string());
        if (!options.png.empty()) {
            error = writePng((std::filesystem::path(options.png) / (entry.name + ".png")).string(), expand(indexed));
            if (!error.empty())
                return fail(error);
        }
        char line[128];
        std::snprintf(line, sizeof line, "%ld %s \"images/%s\"\n", (long)entry.id, bitmap ? "BITMAP" : "GIF",
                      file.c_str());
        script += line;
        ++pictures;
        dataBytes += data.size();
    }
    std::ofstream rc(out / "resources.rc");
    rc << script;
    if (!rc)
        return fail("cannot write " + (out / "resources.rc").string());
    if (!options.quiet)
        std::printf("kweno-skin-gen: %zu pictures of at most %d colours, %zu bytes; worst mean colour error %.2f\n",
                    pictures, 1 << options.bits, dataBytes, worstError);
    return 0;
}
