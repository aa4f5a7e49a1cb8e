// Builds small PE images with resources in memory, with the offsets of their fields for corrupting.
#ifndef KWENO_TESTS_PEBUILDER_H
#define KWENO_TESTS_PEBUILDER_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bytes.h"
#include "peformat.h"

namespace pebuilder {

typedef std::vector<uint8_t> Bytes;

// A resource: its type and name are integer ids unless the text is given.
struct Resource {
    unsigned type;
    unsigned id;
    Bytes data;
    std::u16string typeName;
    std::u16string name;
};

// Where things lie in the built file.
struct Layout {
    size_t peHeader;       // "PE\0\0"
    size_t optionalHeader; // its magic
    size_t resourceEntry;  // data directory 2: RVA, size
    size_t sectionTable;   // the one section header
    size_t resources;      // file offset of the resource directory
    uint32_t resourcesRva; // its RVA
    size_t typeDirectory;  // file offset of the first type's name directory
    size_t firstLanguage;  // file offset of the first resource's language entry
    size_t firstDataEntry; // file offset of the first resource's data entry
    size_t firstData;      // file offset of the first resource's bytes
};

enum Kind { pe32, pe32plus };

// A resource-only DLL of the given kind and machine (0x14C i386, 0x8664 x86-64, 0x1C2 ARM Thumb).
Bytes build(const std::vector<Resource> &resources, Kind kind, uint16_t machine, Layout *layout = nullptr);

// ---- images of code, for the loader's tests ----

// A function the image imports: by name, or by ordinal when the name is empty.
struct Import {
    std::string module;
    std::string name;
    uint16_t ordinal;
};

// Sections of a code image, at fixed RVAs: code (read, execute), zero-filled data (read, write),
// the import and export tables (read only), the base relocations.
const uint32_t codeRva = 0x1000, dataRva = 0x2000, tablesRva = 0x3000, relocationsRva = 0x4000;
const uint32_t codeBase = 0x10000000;

struct CodeImage {
    std::vector<uint32_t> code;                            // ARM words at codeRva
    std::vector<size_t> addresses;                         // code words holding an RVA: made addresses, relocated
    std::vector<Import> imports;                           // address slots at tablesRva, in order, one gap per module
    std::vector<std::pair<std::string, uint32_t>> exports; // name and RVA; ordinals count from 1
    uint32_t entry = codeRva;                              // RVA of the entry point; 0 for none
};

// File offsets of the fields a test corrupts.
struct CodeLayout {
    size_t fileHeader;     // machine type
    size_t optionalHeader; // its magic
    size_t sectionTable;
    size_t relocations;          // the first relocation block
    size_t importNames;          // the first import's entry in its lookup table
    uint32_t importDirectory;    // RVA of the import descriptors
    std::vector<uint32_t> slots; // RVA of each import's address slot, modules in order of first use
};

// A Windows CE DLL (subsystem 9, version 5.0) of the given machine, based at codeBase.
Bytes buildCode(const CodeImage &image, uint16_t machine = emu::IMAGE_FILE_MACHINE_ARM, CodeLayout *layout = nullptr);

// Little-endian fields, as the emulation writes them.
using emu::append16;
using emu::append32;
using emu::put16;
using emu::put32;

// A packed 24-bit bottom-up DIB (as an RT_BITMAP resource holds it) of the given size whose pixel
// (x, y) is colour(x, y), 0x00RRGGBB.
Bytes dib24(int width, int height, const std::function<uint32_t(int x, int y)> &colour);

// The packed DIB with the 14-byte file header in front: a whole .bmp file.
Bytes bmpFile(const Bytes &dib);

} // namespace pebuilder

#endif // KWENO_TESTS_PEBUILDER_H
