// The PE/COFF format as the device's loader reads it: the constants (by their platform names) and
// the places of the header fields that the emulation's readers, the skin generator and the tests'
// builders and checkers share.
#ifndef EMU_PEFORMAT_H
#define EMU_PEFORMAT_H

#include <cstddef>
#include <cstdint>

namespace emu {

const uint16_t IMAGE_FILE_MACHINE_I386 = 0x014C;
const uint16_t IMAGE_FILE_MACHINE_ARM = 0x01C0;
const uint16_t IMAGE_FILE_MACHINE_THUMB = 0x01C2;
const uint16_t IMAGE_FILE_MACHINE_AMD64 = 0x8664;

const uint16_t IMAGE_FILE_EXECUTABLE_IMAGE = 0x0002;
const uint16_t IMAGE_FILE_LARGE_ADDRESS_AWARE = 0x0020;
const uint16_t IMAGE_FILE_32BIT_MACHINE = 0x0100;
const uint16_t IMAGE_FILE_DLL = 0x2000;

const uint16_t IMAGE_NT_OPTIONAL_HDR32_MAGIC = 0x10B;
const uint16_t IMAGE_NT_OPTIONAL_HDR64_MAGIC = 0x20B;
const uint16_t IMAGE_SUBSYSTEM_WINDOWS_CE_GUI = 9;

const unsigned IMAGE_DIRECTORY_ENTRY_EXPORT = 0;
const unsigned IMAGE_DIRECTORY_ENTRY_IMPORT = 1;
const unsigned IMAGE_DIRECTORY_ENTRY_RESOURCE = 2;
const unsigned IMAGE_DIRECTORY_ENTRY_BASERELOC = 5;
const unsigned IMAGE_DIRECTORY_ENTRY_TLS = 9;
const unsigned IMAGE_NUMBEROF_DIRECTORY_ENTRIES = 16;

const uint32_t IMAGE_SCN_CNT_CODE = 0x00000020;
const uint32_t IMAGE_SCN_CNT_INITIALIZED_DATA = 0x00000040;
const uint32_t IMAGE_SCN_MEM_DISCARDABLE = 0x02000000;
const uint32_t IMAGE_SCN_MEM_EXECUTE = 0x20000000;
const uint32_t IMAGE_SCN_MEM_READ = 0x40000000;
const uint32_t IMAGE_SCN_MEM_WRITE = 0x80000000;

const uint16_t IMAGE_REL_BASED_ABSOLUTE = 0;
const uint16_t IMAGE_REL_BASED_HIGHLOW = 3;

// Where the fields lie, in bytes. The MZ header holds the file offset of the "PE\0\0" signature
// (e_lfanew); the file header follows the signature, the optional header the file header.
enum : size_t { PE_SIGNATURE_POINTER = 0x3C, FILE_HEADER_AT = 4, OPTIONAL_HEADER_AT = 24 };
// In the file header.
enum : size_t { FILE_SECTION_COUNT = 2, FILE_TIME_STAMP = 4, FILE_OPTIONAL_SIZE = 16, FILE_CHARACTERISTICS = 18 };
// In the optional header: the same places in PE32 and PE32+, but for the image base (PE32 only)
// and the data directories, which follow their count. Versions are a major, then a minor word.
enum : size_t {
    OPTIONAL_ENTRY_POINT = 16,
    OPTIONAL_IMAGE_BASE = 28,
    OPTIONAL_OS_VERSION = 40,
    OPTIONAL_SUBSYSTEM_VERSION = 48,
    OPTIONAL_IMAGE_SIZE = 56,
    OPTIONAL_HEADERS_SIZE = 60,
    OPTIONAL_SUBSYSTEM = 68,
    OPTIONAL_DIRECTORIES_PE32 = 96,
    OPTIONAL_DIRECTORIES_PE32PLUS = 112,
};
// In a section header.
enum : size_t {
    SECTION_HEADER_SIZE = 40,
    SECTION_VIRTUAL_SIZE = 8,
    SECTION_ADDRESS = 12,
    SECTION_RAW_SIZE = 16,
    SECTION_RAW_OFFSET = 20,
    SECTION_CHARACTERISTICS = 36,
};

} // namespace emu

#endif // EMU_PEFORMAT_H
