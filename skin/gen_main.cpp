// kweno-skin-gen: draws the default skin from the layout tables and writes its pictures and resource script.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "bytes.h"
#include "catalogue.h"
#include "dib.h"
#include "imagefile.h"
#include "palette.h"
#include "peformat.h"
#include "pictures.h"
#include "wholefile.h"

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

const char description[] =
    "Writes DIR/images/* and DIR/resources.rc for the resource compiler: faces and popups as image\n"
    "files under the resource type GIF (PNG by default; bitmap keeps them as RT_BITMAP, which the\n"
    "device cannot show), the icons as bitmaps, at most 2^bits colours each.\n"
    "With --device-header it marks a linked resource-only module as made for the device (ARM) instead.\n";

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
    CLI::Option *out = app.add_option("--out", options.out,
                                      "the folder to write into (required, as is --font, unless --device-header)")
                           ->type_name("DIR");
    CLI::Option *font = app.add_option("--font", options.font, "the labels' font")->type_name("FILE.ttf");
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
    app.add_option("--png", options.png, "also write every picture as a PNG file into this folder")->type_name("DIR");
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
    app.add_option("--device-header", options.deviceHeader, "mark this linked module as the device's, and stop")
        ->type_name("MODULE.dll");
    try {
        app.parse(argc, argv);
        // Without a module to mark, there is a skin to draw.
        if (options.deviceHeader.empty()) {
            if (!*out)
                throw CLI::RequiredError(out->get_name());
            if (!*font)
                throw CLI::RequiredError(font->get_name());
        }
    } catch (const CLI::ParseError &e) {
        *exitStatus = app.exit(e) == 0 ? 0 : 2;
        return false;
    }
    storedFormatFromName(formatName, &options.format);
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

// The linker knows no Windows CE target, so it writes an i386 machine type; the module holds no
// code, only resources, so the field is all that differs in a module for the ARM device.
int writeDeviceHeader(const std::string &path)
{
    std::vector<uint8_t> file = wholeFile(path);
    uint32_t pe =
        file.size() >= 0x40 && file[0] == 'M' && file[1] == 'Z' ? emu::le32(&file[emu::PE_SIGNATURE_POINTER]) : 0;
    if (pe == 0 || file.size() < pe + emu::FILE_HEADER_AT + 2 || std::memcmp(&file[pe], "PE\0\0", 4) != 0)
        return fail(path + ": not a module");
    file[pe + emu::FILE_HEADER_AT] = (uint8_t)emu::IMAGE_FILE_MACHINE_ARM;
    file[pe + emu::FILE_HEADER_AT + 1] = (uint8_t)(emu::IMAGE_FILE_MACHINE_ARM >> 8);
    return writeFile(path, file) ? 0 : fail("cannot write " + path);
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    int status = 0;
    if (!parseOptions(argc, argv, options, &status))
        return status;
    std::string error;
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
            std::string file = (std::filesystem::path(options.png) / (entry.name + ".png")).string();
            if (!writePng(expand(indexed), file, &error))
                return fail("cannot write " + file + ": " + error);
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
