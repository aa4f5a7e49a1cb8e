// Reading the resources of a PE image, and the loaded modules that hold them.
#ifndef EMU_PE_H
#define EMU_PE_H

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

// ---- the reader (pe.cpp) ----

// Reads a PE32 or PE32+ image of any machine type as a file on disk lays it out. False, with the
// reason, for anything malformed; a valid image without resources gives true and an empty list.
// headers, when given, receives the header fields once they have been read.
bool readPeResources(const uint8_t *data, size_t size, std::vector<PeResource> *out, std::string *why,
                     PeHeaders *headers = nullptr);

// The resource name a Win32 LPCWSTR stands for: MAKEINTRESOURCE(id), "#123", or a name.
ResourceName resourceNameOf(LPCWSTR name);

// ---- images of code, as the loader maps them (pe.cpp) ----

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

// ---- loaded modules (module.cpp) ----

// The bytes of a resource of a loaded module; false (with a violation for a bad handle) when the
// module or resource does not exist. The bytes stay valid until the module is freed.
bool findResource(HMODULE module, const ResourceName &type, const ResourceName &name, const char *api,
                  const uint8_t **data, size_t *size);

// Whether the file of a loaded module ends inside the data of that resource.
bool resourceCutOff(HMODULE module, const ResourceName &type, const ResourceName &name, const char *api);

// Every resource of a loaded module whose name is the integer id, in the order of the file, of
// any type; empty (with a violation for a bad handle) when there is none.
struct FoundResource {
    ResourceName type;
    const uint8_t *data;
    size_t size;
};
std::vector<FoundResource> resourcesWithId(HMODULE module, WORD id, const char *api);

} // namespace emu

#endif // EMU_PE_H
