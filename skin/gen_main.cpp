// kweno-skin-gen: draws the default skin from the layout tables and packs it into a resource module.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "catalogue.h"
#include "imagefile.h"
#include "module.h"
#include "palette.h"
#include "pictures.h"
#include "wholefile.h"

using namespace skin;

namespace {

struct Options {
    std::string module;
    std::string font;
    std::string png;
    int bits = 4;
    StoredFormat format = STORED_PNG;
    bool labels = true;
    bool quiet = false;
    bool contrast = false;
    const LookSet *looks = &LOOKS[0];
    std::set<LONG> omit;
    std::map<LONG, std::pair<int, int>> resize;
};

const char description[] =
    "Draws every picture of the panel, at most 2^bits colours each, and writes them as PNG files (--png,\n"
    "which kweno-skin pack reads) or packs them into the device's resource module (--module): faces and\n"
    "popups as image files under the resource type GIF (PNG by default; bitmap keeps them as RT_BITMAP,\n"
    "which the device cannot show), the icons as bitmaps.\n";

int fail(const std::string &message)
{
    std::fprintf(stderr, "kweno-skin-gen: %s\n", message.c_str());
    return 1;
}

// WIDTHxHEIGHT, both at least 1.
bool parseSize(const std::string &text, int *width, int *height)
{
    return std::sscanf(text.c_str(), "%dx%d", width, height) == 2 && *width >= 1 && *height >= 1;
}

// An image id is a resource id: 1 to 0xFFFF, decimal or 0x hex (the help says so once).
const CLI::Validator imageId = CLI::Range(1, 0xFFFF).description("");

// The command line as CLI11 reads it: true to go on, or false with the status to exit with, 0 after
// --help and 2 for a bad command line (CLI11 has said what was wrong).
bool parseOptions(int argc, char **argv, Options &options, int *exitStatus)
{
    CLI::App app{description, "kweno-skin-gen"};
    // As the command lines of the build and the scripts expect: an option given twice takes the last.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    app.footer("--omit and --resize make deliberately broken modules, for testing checkers.");
    CLI::Option *module = app.add_option("--module", options.module, "pack the pictures into this resource module")
                              ->type_name("FILE.dll");
    CLI::Option *font = app.add_option("--font", options.font, "the labels' font")->type_name("FILE.ttf");
    std::string lookName = LOOKS[0].name;
    std::vector<std::string> lookNames;
    for (const LookSet &look : LOOKS)
        lookNames.push_back(look.name);
    app.add_option("--look", lookName, "the colours to draw in")
        ->check(CLI::IsMember(lookNames))
        ->type_name("LOOK")
        ->capture_default_str();
    app.add_flag("--contrast", options.contrast, "print how far every look's labels stand out, and stop");
    std::string formatName = storedFormatName(options.format);
    std::vector<std::string> formats = storedFormatNames();
    app.add_option("--format", formatName, "how faces and popups are stored")
        ->check(CLI::IsMember(formats))
        ->type_name("FORMAT")
        ->capture_default_str();
    app.add_option("--bits", options.bits, "at most 2^bits colours in each picture")
        ->check(CLI::IsMember({4, 8}))
        ->type_name("BITS")
        ->capture_default_str();
    CLI::Option *png =
        app.add_option("--png", options.png, "write every picture as a PNG file into this folder")->type_name("DIR");
    std::vector<LONG> omit;
    app.add_option("--omit", omit, "leave out the picture of this id, 1 to 0xFFFF (may be repeated)")
        ->check(imageId)
        ->type_name("ID");
    std::vector<std::pair<LONG, std::string>> resize;
    app.add_option("--resize", resize, "draw this picture at another size (may be repeated)")
        ->check(imageId.application_index(0))
        ->check(CLI::Validator(
                    [](std::string &text) {
                        int width = 0, height = 0;
                        return parseSize(text, &width, &height) ? std::string() : "not a size WIDTHxHEIGHT: " + text;
                    },
                    "")
                    .application_index(1))
        ->type_name("ID WxH");
    app.add_flag_callback(
        "--no-labels", [&options] { options.labels = false; }, "draw the keys without their labels");
    app.add_flag("--quiet", options.quiet, "say nothing when all went well");
    try {
        app.parse(argc, argv);
        if (!options.contrast && !*font)
            throw CLI::RequiredError(font->get_name());
        if (!options.contrast && !*module && !*png)
            throw CLI::RequiredError(module->get_name() + " or " + png->get_name());
    } catch (const CLI::ParseError &e) {
        *exitStatus = app.exit(e) == 0 ? 0 : 2;
        return false;
    }
    storedFormatFromName(formatName, &options.format);
    for (const LookSet &look : LOOKS)
        if (lookName == look.name)
            options.looks = &look;
    options.omit.insert(omit.begin(), omit.end());
    for (const auto &r : resize) {
        int width = 0, height = 0;
        parseSize(r.second, &width, &height);
        options.resize[r.first] = {width, height};
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

// The labels' WCAG 2 contrast against their keys, for each look and picture.
void printContrast()
{
    std::printf("look           picture   ink on key   worst label\n");
    for (const LookSet &looks : LOOKS)
        for (Picture picture : {PICTURE_DAY, PICTURE_NIGHT, PICTURE_PRESSED}) {
            LabelContrast c = labelContrast(lookFor(picture, looks));
            std::printf("%-14s %-9s %7.2f:1   %8.2f:1\n", looks.name, pictureName(picture), c.inkOnKey, c.worst);
        }
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    int status = 0;
    if (!parseOptions(argc, argv, options, &status))
        return status;
    if (options.contrast) {
        printContrast();
        return 0;
    }
    Font font;
    std::string error = font.open(options.font);
    if (!error.empty())
        return fail(error);
    // A label the font cannot draw would come out as an empty box on the device: refuse.
    std::vector<uint32_t> missing = missingGlyphs(font, labelCharacters());
    for (uint32_t c : missing)
        std::fprintf(stderr, "kweno-skin-gen: the font %s has no glyph for %s\n", options.font.c_str(),
                     describeCharacter(c).c_str());
    if (!missing.empty())
        return 1;

    std::error_code ec;
    if (!options.png.empty())
        std::filesystem::create_directories(options.png, ec);
    DrawOptions draw;
    draw.labels = options.labels;
    draw.looks = options.looks;
    std::vector<StoredPicture> pictures;
    size_t drawn = 0, dataBytes = 0;
    double worstError = 0;
    for (const ImageEntry &entry : allImages()) {
        if (options.omit.count(entry.id))
            continue;
        Image image = render(entry, font, draw);
        ++drawn;
        auto resize = options.resize.find(entry.id);
        if (resize != options.resize.end())
            image = resized(image, resize->second.first, resize->second.second, image.at(0, 0));
        Indexed indexed = quantise(image, 1 << options.bits);
        worstError = std::max(worstError, meanColourError(image, expand(indexed)));
        if (!options.png.empty()) {
            std::string file = (std::filesystem::path(options.png) / (entry.name + ".png")).string();
            if (!writePng(expand(indexed), file, &error))
                return fail("cannot write " + file + ": " + error);
        }
        if (options.module.empty())
            continue;
        pictures.push_back(storePicture(entry, indexed, options.format));
        if (pictures.back().data.empty())
            return fail("cannot encode " + entry.name);
        dataBytes += pictures.back().data.size();
    }
    if (!options.module.empty()) {
        std::vector<uint8_t> bytes;
        error = linkModule(pictures, KWENO_VERSION, &bytes);
        if (!error.empty())
            return fail(error);
        if (!writeFile(options.module, bytes))
            return fail("cannot write " + options.module);
    }
    if (!options.quiet) {
        std::printf("kweno-skin-gen: %zu pictures of at most %d colours, %zu bytes; worst mean colour error %.2f\n",
                    drawn, 1 << options.bits, dataBytes, worstError);
        std::printf("kweno-skin-gen: look %s, labels against their keys at least %.2f:1 day, %.2f:1 night, "
                    "%.2f:1 pressed\n",
                    options.looks->name, labelContrast(options.looks->day).worst,
                    labelContrast(options.looks->night).worst, labelContrast(options.looks->pressed).worst);
    }
    return 0;
}
