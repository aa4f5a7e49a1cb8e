// kweno-skin-gen: draws the default skin from the layout tables and writes its bitmaps and resource script.
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
#include "pictures.h"
#include "quantise.h"

using namespace skin;

namespace {

struct Options {
    std::string out;
    std::string font;
    std::string png;
    int bits = 4;
    bool labels = true;
    bool quiet = false;
    std::set<LONG> omit;
    std::map<LONG, std::pair<int, int>> resize;
};

const char USAGE[] = "usage: kweno-skin-gen --out DIR --font FILE.ttf [--bits 4|8] [--png DIR] [--omit ID]...\n"
                     "                      [--resize ID WxH]... [--no-labels] [--quiet]\n"
                     "Writes DIR/bitmaps/*.bmp and DIR/resources.rc for the resource compiler.\n"
                     "--omit and --resize make deliberately broken modules, for testing checkers.\n";

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
    if (options.out.empty() || options.font.empty()) {
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

} // namespace

int main(int argc, char **argv)
{
    Options options;
    std::string error;
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "kweno-skin-gen: %s\n%s", error.c_str(), USAGE);
        return 2;
    }
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

    std::filesystem::path out(options.out), bitmaps = out / "bitmaps";
    std::error_code ec;
    std::filesystem::create_directories(bitmaps, ec);
    if (!options.png.empty())
        std::filesystem::create_directories(options.png, ec);

    std::string script = "// The default skin's bitmaps, written by kweno-skin-gen from the layout tables.\n"
                         "LANGUAGE 0, 0\n";
    DrawOptions draw;
    draw.labels = options.labels;
    size_t images = 0, dataBytes = 0;
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
        std::vector<uint8_t> dib = encodeDib(indexed, bitsForColours(indexed.palette.size()));
        std::string file = entry.name + ".bmp";
        if (!writeFile(bitmaps / file, bmpFile(dib)))
            return fail("cannot write " + (bitmaps / file).string());
        if (!options.png.empty()) {
            error = writePng((std::filesystem::path(options.png) / (entry.name + ".png")).string(), expand(indexed));
            if (!error.empty())
                return fail(error);
        }
        char line[128];
        std::snprintf(line, sizeof line, "%ld BITMAP \"bitmaps/%s\"\n", (long)entry.id, file.c_str());
        script += line;
        ++images;
        dataBytes += dib.size();
    }
    std::ofstream rc(out / "resources.rc");
    rc << script;
    if (!rc)
        return fail("cannot write " + (out / "resources.rc").string());
    if (!options.quiet)
        std::printf("kweno-skin-gen: %zu bitmaps of at most %d bits per pixel, %zu bytes; worst mean colour error "
                    "%.2f\n",
                    images, options.bits, dataBytes, worstError);
    return 0;
}
