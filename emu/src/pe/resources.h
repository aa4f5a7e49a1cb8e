// The PE resource reader: the headers and sections of an image as a file lays it out, and the
// resources of its three-level resource tree.
#ifndef EMU_PE_RESOURCES_H
#define EMU_PE_RESOURCES_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

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
    bool offsetOf(uint64_t rva, uint64_t len, size_t *offset) const;
    // Whether len bytes at the RVA lie in one section's raw data that the file ends inside of.
    bool cutOffAt(uint64_t rva, uint64_t len) const;
};

// What every reader of an image needs from its headers.
struct PeFileHeaders {
    const uint8_t *opt = nullptr; // the optional header
    uint16_t optionalSize = 0;
    uint16_t magic = 0;
    uint64_t countAt = 0;       // offset of NumberOfRvaAndSizes in the optional header
    uint64_t directoriesAt = 0; // offset of the first data directory
    PeFile image{nullptr, 0, {}};
};

// The headers and the section table, checked against the file; fills the summary as it goes.
bool readPeHeaders(const uint8_t *data, size_t size, PeFileHeaders *h, PeHeaders *summary, std::string *why);

// RVA and size of a data directory; false when the headers do not hold it.
bool dataDirectory(const PeFileHeaders &h, unsigned index, uint32_t *rva, uint32_t *size);

} // namespace emu

#endif // EMU_PE_RESOURCES_H
