// Reads a designer's PNG files with libpng, refuses what the device would show otherwise, and packs
// the rest exactly as the build packs the default skin.
#include "pack.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>

#include "catalogue.h"
#include "checker.h"
#include "looks.h"
#include "module.h"
#include "palette.h"
#include "wholefile.h"

namespace skin {

namespace {

uint32_t be32(const uint8_t *p)
{
    return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

// The frames an animated PNG announces (its acTL chunk), 1 for a still picture.
uint32_t pngFrames(const std::vector<uint8_t> &bytes)
{
    for (size_t at = 8; at + 12 <= bytes.size();) {
        uint32_t length = be32(&bytes[at]);
        if (std::memcmp(&bytes[at + 4], "acTL", 4) == 0 && length >= 4 && at + 12 <= bytes.size())
            return be32(&bytes[at + 8]);
        if (std::memcmp(&bytes[at + 4], "IDAT", 4) == 0 || length > bytes.size())
            break;
        at += 12 + (size_t)length;
    }
    return 1;
}

std::string hex(uint32_t rgb)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", (unsigned)rgb);
    return text;
}

// The picture in the file, alpha included; false if it is no PNG libpng can read.
bool decodeRgba(const std::vector<uint8_t> &bytes, Image *image, bool *transparent)
{
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        return false;
    png.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&png);
        return false;
    }
    *image = Image((int)png.width, (int)png.height);
    *transparent = false;
    for (size_t i = 0; i < image->pixels.size(); ++i) {
        const uint8_t *p = &rgba[i * 4];
        image->pixels[i] = (uint32_t)p[0] << 16 | (uint32_t)p[1] << 8 | p[2];
        *transparent = *transparent || p[3] != 0xFF;
    }
    return true;
}

// What the 16-bit display does to the picture's colours, if anything: one line.
std::string displayWarning(const Image &image, const std::string &name)
{
    std::map<uint32_t, size_t> changed; // colour -> pixels
    std::set<uint32_t> colours;
    for (uint32_t c : image.pixels) {
        colours.insert(c);
        if (shownIn565(c) != c)
            ++changed[c];
    }
    if (changed.empty())
        return "";
    std::vector<std::pair<size_t, uint32_t>> commonest;
    size_t pixels = 0;
    for (const auto &c : changed) {
        commonest.push_back({c.second, c.first});
        pixels += c.second;
    }
    std::sort(commonest.begin(), commonest.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    char share[32];
    std::snprintf(share, sizeof share, "%.1f", 100.0 * (double)pixels / (double)image.pixels.size());
    std::string line = name + ": " + std::to_string(changed.size()) + " of its " + std::to_string(colours.size()) +
                       (changed.size() == 1 ? " colours is" : " colours are") +
                       " not shown exactly by the 16-bit display (" + share + " % of the pixels): ";
    for (size_t i = 0; i < commonest.size() && i < 3; ++i)
        line += (i ? ", " : "") + hex(commonest[i].second) + " becomes " + hex(shownIn565(commonest[i].second));
    return line + (commonest.size() > 3 ? ", …" : "");
}

std::string sizeText(int width, int height)
{
    return std::to_string(width) + "×" + std::to_string(height);
}

// The picture of the entry, or a refusal line; warnings are added.
bool readPicture(const std::string &folder, const ImageEntry &entry, int bits, Indexed *indexed, PackResult &result)
{
    std::string file = entry.name + ".png";
    char id[16];
    std::snprintf(id, sizeof id, "0x%04X", (unsigned)entry.id);
    std::string name = file + " (" + id + " " + entry.description + ")";
    std::vector<uint8_t> bytes;
    std::string path = (std::filesystem::path(folder) / file).string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        result.refusals.push_back(name + ": missing");
        return false;
    }
    Image image;
    bool transparent = false;
    if (!readFile(path, &bytes) || !decodeRgba(bytes, &image, &transparent)) {
        result.refusals.push_back(name + ": is no PNG file that can be read");
        return false;
    }
    size_t before = result.refusals.size();
    if (image.width != entry.width || image.height != entry.height)
        result.refusals.push_back(name + ": is " + sizeText(image.width, image.height) + ", expected " +
                                  sizeText(entry.width, entry.height));
    uint32_t frames = pngFrames(bytes);
    if (frames > 1)
        result.refusals.push_back(name + ": is an animation of " + std::to_string(frames) +
                                  " frames; the panel shows only the first");
    if (transparent)
        result.refusals.push_back(name + ": has transparent pixels; the panel copies pictures without blending" +
                                  (entry.kind == IMAGE_ICON
                                       ? " (the icon's transparent colour is " + hex(ICON_TRANSPARENT) + ", opaque)"
                                       : std::string()));
    std::set<uint32_t> colours(image.pixels.begin(), image.pixels.end());
    if (colours.size() > (size_t)1 << bits)
        result.refusals.push_back(name + ": has " + std::to_string(colours.size()) + " colours; --bits " +
                                  std::to_string(bits) + " holds at most " + std::to_string(1 << bits));
    if (result.refusals.size() != before)
        return false;
    std::string warning = displayWarning(image, file);
    if (!warning.empty())
        result.warnings.push_back(warning);
    // No more colours than the format holds: each is kept exactly, the commonest first.
    *indexed = quantise(image, 1 << bits);
    return true;
}

} // namespace

PackResult packFolder(const std::string &folder, StoredFormat format, int bits, const std::string &version)
{
    PackResult result;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        result.refusals.push_back(folder + ": no such folder");
        return result;
    }
    std::vector<StoredPicture> pictures;
    std::set<std::string> known;
    for (const ImageEntry &entry : allImages()) {
        known.insert(entry.name + ".png");
        Indexed indexed;
        if (!readPicture(folder, entry, bits, &indexed, result))
            continue;
        pictures.push_back(storePicture(entry, indexed, format));
        if (pictures.back().data.empty())
            result.refusals.push_back(entry.name + ".png: cannot be encoded as " + storedFormatName(format));
    }
    std::set<std::string> others; // in name order, whatever order the folder lists them in
    for (const auto &file : std::filesystem::directory_iterator(folder, ec))
        if (!known.count(file.path().filename().string()))
            others.insert(file.path().filename().string());
    for (const std::string &other : others)
        result.warnings.push_back(other + ": no picture of the panel; left out");
    if (!result.ok())
        return result;
    std::string error = linkModule(pictures, version, &result.module);
    if (!error.empty()) {
        result.refusals.push_back(error);
        return result;
    }
    // What the files cannot say, such as an icon the panel's image list would change, the module does.
    CheckResult check = checkModuleBytes(result.module, "the packed module", {VARIANT_DAY, VARIANT_NIGHT});
    result.refusals.insert(result.refusals.end(), check.faults.begin(), check.faults.end());
    if (!result.ok())
        result.module.clear();
    return result;
}

} // namespace skin
