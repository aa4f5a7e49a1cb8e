// The plan of an image of code: its layout, relocations, imports and exports, every place checked
// to lie inside the image, read from the file before the loader maps anything.
#ifndef EMU_PE_IMAGEPLAN_H
#define EMU_PE_IMAGEPLAN_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace emu {

// A function of another module that the image calls: by name, or by ordinal when the name is
// empty. The loader writes its address into the 32-bit slot at the RVA.
struct PeImport {
    std::string module;
    std::string name;
    uint16_t ordinal = 0;
    uint32_t slot = 0;
};

// What the image offers: an ordinal, a name if it has one, and the RVA.
struct PeExport {
    uint32_t ordinal;
    std::string name;
    uint32_t rva;
};

// A section's pages in the image and what may be done with them.
struct PeMappedSection {
    uint32_t rva;
    uint32_t size;
    bool execute;
    bool write;
};

// Images larger than this are refused before anything is allocated for them.
const uint32_t maxImageSize = 16u << 20;

// Everything the loader needs to map a 32-bit image of code, every RVA and size checked to lie
// inside the image, so that mapping it reads and writes only its own pages.
struct PeImagePlan {
    uint16_t machine = 0;
    uint32_t imageBase = 0;
    uint32_t imageSize = 0;
    uint32_t entryPoint = 0;    // RVA; 0 for none
    std::vector<uint8_t> image; // imageSize bytes: the headers, each section at its RVA
    std::vector<PeMappedSection> sections;
    bool relocatable = false;          // it has a base-relocation directory
    std::vector<uint32_t> relocations; // RVAs of the 32-bit addresses that move with the image
    std::vector<PeImport> imports;
    std::vector<PeExport> exports; // forwarded exports are left out
};

// Reads a PE32 image of code for Windows CE (subsystem 9, version 5.02 at most) of any machine
// type and lays it out as mapped; no code runs and nothing is mapped. False, with the reason, for
// anything malformed or anything the device's loader does not do (a thread-local storage
// directory, relocations other than HIGHLOW).
bool planPeImage(const uint8_t *data, size_t size, PeImagePlan *plan, std::string *why);

} // namespace emu

#endif // EMU_PE_IMAGEPLAN_H
