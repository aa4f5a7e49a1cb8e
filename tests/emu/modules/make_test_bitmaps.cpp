// Writes the test resource modules' sources: one .bmp file per DIB format, PNG, GIF and JPEG files, and the
// .rc script; and a small DLL of code.
#include "testbitmaps.h"
#include "wholefile.h"

#include "imagefiles.h"
#include "pebuilder.h"

#include <cstdio>
#include <string>
#include <vector>

using namespace testbitmaps;

namespace {

using pebuilder::append16;
using pebuilder::append32;
using pebuilder::Bytes;

bool palettised(const Format &f)
{
    return f.bitsPerPixel <= 8;
}

// One row of pixels as the file stores it, padded to 32 bits.
Bytes row(const Format &f, int y)
{
    Bytes r;
    uint32_t acc = 0;
    int accBits = 0;
    for (int x = 0; x < f.width; ++x) {
        uint32_t v = palettised(f) ? (uint32_t)index(f, x, y) : f.stored[index(f, x, y)];
        switch (f.bitsPerPixel) {
        case 1:
        case 4:
        case 8:
            // Leftmost pixel in the most significant bits of each byte.
            acc = (acc << f.bitsPerPixel) | v;
            accBits += f.bitsPerPixel;
            if (accBits == 8) {
                r.push_back((uint8_t)acc);
                acc = 0;
                accBits = 0;
            }
            break;
        case 16:
            append16(r, v);
            break;
        case 24:
            r.push_back(v & 0xFF); // blue, green, red
            r.push_back((v >> 8) & 0xFF);
            r.push_back((v >> 16) & 0xFF);
            break;
        default:
            append32(r, v);
        }
    }
    if (accBits)
        r.push_back((uint8_t)(acc << (8 - accBits)));
    while (r.size() % 4)
        r.push_back(0);
    return r;
}

Bytes bmpFile(const Format &f)
{
    Bytes info;
    append32(info, f.headerSize);
    append32(info, f.width);
    append32(info, f.topDown ? -f.height : f.height);
    append16(info, 1);
    append16(info, f.bitsPerPixel);
    append32(info, f.compression);
    append32(info, 0); // image size: may be 0 for uncompressed bits
    append32(info, 2835);
    append32(info, 2835);
    append32(info, palettised(f) && f.count < (1 << f.bitsPerPixel) ? f.count : 0);
    append32(info, 0);
    if (f.headerSize > 40) {
        // V4 and V5: masks inside the header (unused unless bit fields), then colour space.
        for (int i = 0; i < 3; ++i)
            append32(info, f.compression == bitfields ? f.masks[i] : 0);
        append32(info, 0);          // alpha mask
        append32(info, 0x73524742); // LCS_sRGB
        while ((int)info.size() < f.headerSize)
            info.push_back(0); // end points, gamma, and the V5 intent and profile
    } else if (f.compression == bitfields) {
        for (int i = 0; i < 3; ++i)
            append32(info, f.masks[i]);
    }
    if (palettised(f)) {
        int entries = f.count < (1 << f.bitsPerPixel) ? f.count : (1 << f.bitsPerPixel);
        for (int i = 0; i < entries; ++i)
            append32(info, i < f.count ? f.stored[i] : 0);
    }
    Bytes bits;
    for (int i = 0; i < f.height; ++i) {
        int y = f.topDown ? i : f.height - 1 - i;
        Bytes r = row(f, y);
        bits.insert(bits.end(), r.begin(), r.end());
    }
    Bytes file;
    file.push_back('B');
    file.push_back('M');
    append32(file, 14 + info.size() + bits.size());
    append32(file, 0);
    append32(file, 14 + info.size());
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), bits.begin(), bits.end());
    return file;
}

imagefiles::Colours coloursOf(const Format &f)
{
    return [&f](int x, int y) { return f.expected[index(f, x, y)]; };
}

const Format &rgb24Format()
{
    for (const Format &f : formats)
        if (std::string(f.file) == "rgb24")
            return f;
    return formats[0];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s output-folder\n", argv[0]);
        return 2;
    }
    std::string dir = argv[1];
    std::string rc = "// Generated: the test resource module.\n";
    for (const Format &f : formats) {
        std::string file = std::string(f.file) + ".bmp";
        if (!writeFile(dir + "/" + file, bmpFile(f)))
            return 1;
        rc += std::to_string(f.id) + " BITMAP \"" + file + "\"\n";
        // The same picture as a whole file where the shell's loader looks, under the same id.
        rc += std::to_string(f.id) + " GIF \"" + file + "\"\n";
    }
    const Format &rgb24 = rgb24Format();
    if (!writeFile(dir + "/rgb24.png", imagefiles::png(rgb24.width, rgb24.height, coloursOf(rgb24))) ||
        !writeFile(dir + "/rgb24.gif", imagefiles::gif(rgb24.width, rgb24.height, coloursOf(rgb24))) ||
        !writeFile(dir + "/rgb24.jpg", imagefiles::jpeg(rgb24.width, rgb24.height, coloursOf(rgb24), 100)))
        return 1;
    rc += std::string(namedBitmap) + " BITMAP \"rgb24.bmp\"\n";
    rc += std::to_string(bmpFileId) + " RCDATA \"rgb24.bmp\"\n";
    rc += std::to_string(pngId) + " RCDATA \"rgb24.png\"\n";
    rc += std::to_string(pngTypedId) + " PNG \"rgb24.png\"\n";
    rc += std::to_string(gifPngId) + " GIF \"rgb24.png\"\n";
    rc += std::to_string(gifGifId) + " GIF \"rgb24.gif\"\n";
    rc += std::to_string(gifJpegId) + " GIF \"rgb24.jpg\"\n";
    if (!writeFile(dir + "/emutest.rc", Bytes(rc.begin(), rc.end())))
        return 1;
    // A small DLL of code, where the fuzzer starts on the loader's tables (imports by name and by
    // ordinal, exports, a relocation, an entry point that returns TRUE).
    pebuilder::CodeImage code;
    code.code = {0xE3A00001, 0xE12FFF1E, pebuilder::codeRva}; // mov r0, #1; bx lr; its own address
    code.addresses = {2};
    code.imports = {{"COREDLL.dll", "GetTickCount", 0}, {"AYGSHELL.dll", "", 64}};
    code.exports = {{"DllCanUnloadNow", pebuilder::codeRva}};
    if (!writeFile(dir + "/emutestcode.dll", pebuilder::buildCode(code)))
        return 1;
    return 0;
}
