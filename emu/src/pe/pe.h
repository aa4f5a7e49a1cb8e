// Reading PE images: the headers and sections of an image as a file lays it out, the resources of
// its three-level resource tree (resources.cpp), and the plan of an image of code that the loader
// maps (imageplan.cpp).
#ifndef EMU_PE_H
#define EMU_PE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include <emu.h>

namespace emu {

// A resource type or name: an integer id, or a string compared without regard to case (kept
// upper-cased, as the resource compiler stores it).
struct ResourceName {
    bool isId = true;
    WORD id = 0;
    std::u16string text;
    bool operator==(const ResourceName &o) const { return isId == o.isId && (isId ? id == o.id : text == o.text); }
};

// One resource: the first language found under its type and name, with its bytes' place in the
// file. Offset and size are checked to lie inside the file.
struct PeResource {
    ResourceName type;
    ResourceName name;
    WORD language = 0;
    size_t offset = 0;
    size_t size = 0;
};

// Upper limits while reading, so that a hostile file costs bounded time and memory: at most
// 65536 resources indexed, 131072 directories visited and 2^20 directory entries examined;
// deeper than three levels is never read, so a directory that points back at itself ends there.
const size_t maxResources = 65536;
const size_t maxResourceDirectories = 131072;
const size_t maxResourceEntries = 1u << 20;

// What the headers of an image say, for tools that check a module is fit for the device.
struct PeHeaders {
    uint16_t machine = 0;
    uint16_t subsystem = 0;
    uint32_t timeStamp = 0;
    uint32_t entryPoint = 0;  // relative address; 0 for none
    bool relocations = false; // a base-relocation directory is present
    uint64_t sectionsEnd = 0; // where the last section's raw data ends in the file
    // Resources whose entries are sound but whose data the file ends inside of (a file cut short);
    // they are not indexed.
    std::vector<PeResource> cutOff;
};

// Reads a PE32 or PE32+ image of any machine type as a file on disk lays it out. False, with the
// reason, for anything malformed; a valid image without resources gives true and an empty list.
// headers, when given, receives the header fields once they have been read.
bool readPeResources(const uint8_t *data, size_t size, std::vector<PeResource> *out, std::string *why,
                     PeHeaders *headers = nullptr);

// The version resource among an image's resources, into the summary's version fields (version.cpp);
// nothing when there is none or it is malformed.
void readVersionResource(const uint8_t *image, const std::vector<PeResource> &resources, EmuModuleFile *out);

// The resource name a Win32 LPCWSTR stands for: MAKEINTRESOURCE(id), "#123", or a name.
ResourceName resourceNameOf(LPCWSTR name);

// ---- the headers, where the plan of an image of code (imageplan.cpp) starts too ----

struct PeSection {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
    uint32_t characteristics;
};

// The file and its section table.
struct PeFile {
    const uint8_t *data;
    size_t size;
    std::vector<PeSection> sections;

    // File offset of len bytes at the RVA, if they lie in one section's raw data in the file.
    bool offsetOf(uint64_t rva, uint64_t len, size_t *offset) const
    {
        for (const PeSection &s : sections) {
            if (rva < s.virtualAddress)
                continue;
            uint64_t into = rva - s.virtualAddress;
            if (into + len > s.rawSize)
                continue;
            uint64_t at = (uint64_t)s.rawOffset + into;
            if (at + len > size)
                continue;
            *offset = (size_t)at;
            return true;
        }
        return false;
    }

    // Whether len bytes at the RVA lie in one section's raw data that the file ends inside of.
    bool cutOffAt(uint64_t rva, uint64_t len) const
    {
        for (const PeSection &s : sections)
            if (rva >= s.virtualAddress && rva - s.virtualAddress + len <= s.rawSize &&
                (uint64_t)s.rawOffset + (rva - s.virtualAddress) + len > size)
                return true;
        return false;
    }
};

// What every reader of an image needs from its headers.
struct PeFileHeaders {
    const uint8_t *opt = nullptr; // the optional header
    uint16_t optionalSize = 0;
    uint16_t magic = 0;
    uint64_t directoriesAt = 0; // offset of the first data directory, after their count
    PeFile image{nullptr, 0, {}};
};

// The headers and the section table, checked against the file; fills the summary as it goes.
bool readPeHeaders(const uint8_t *data, size_t size, PeFileHeaders *h, PeHeaders *summary, std::string *why);

// RVA and size of a data directory; false when the headers do not hold it.
bool dataDirectory(const PeFileHeaders &h, unsigned index, uint32_t *rva, uint32_t *size);

// ---- the plan of an image of code (imageplan.cpp) ----

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

#endif // EMU_PE_H
