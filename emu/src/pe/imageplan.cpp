// The plan of an image of code that the loader maps: the sections at their RVAs, the base
// relocations, the imports and the exports, every field checked to lie inside the image.
#include "pe/pe.h"

#include "bytes.h"
#include "peformat.h"

#include <algorithm>

namespace emu {
namespace {

// Reading the image as the loader lays it out: every field checked to lie inside it.
struct Laid {
    const std::vector<uint8_t> &bytes;
    bool has(uint64_t rva, uint64_t length) const { return rva + length <= bytes.size(); }
    uint32_t u32(uint64_t rva) const { return le32(bytes.data() + rva); }
    uint16_t u16(uint64_t rva) const { return le16(bytes.data() + rva); }
    // A name ending with its zero byte inside the image, at most 4096 characters.
    bool text(uint64_t rva, std::string *out) const
    {
        out->clear();
        for (uint64_t at = rva; at < bytes.size() && out->size() <= 4096; ++at) {
            if (!bytes[at])
                return true;
            *out += (char)bytes[at];
        }
        return false;
    }
};

// The system the emulation stands for: Windows Mobile 6, Windows CE 5.2 (subsystem version 5.02).
const uint32_t systemVersion = (5u << 16) | 2u;
// At most this many imports, exports and import descriptors are read.
const size_t maxImports = 65536;
const size_t maxExports = 65536;

// The sections at their RVAs, and the headers before them.
bool layOut(const uint8_t *data, size_t size, const PeFileHeaders &h, PeImagePlan *plan, std::string *why)
{
    uint32_t headersSize = le32(h.opt + OPTIONAL_HEADERS_SIZE);
    if (!plan->imageSize || plan->imageSize > maxImageSize)
        return fail(why, "image size zero or over 16 MiB");
    if (headersSize > plan->imageSize || headersSize > size)
        return fail(why, "headers larger than the image or the file");
    plan->image.assign(plan->imageSize, 0);
    std::copy(data, data + headersSize, plan->image.begin());
    uint64_t previousEnd = headersSize;
    for (const PeSection &s : h.image.sections) {
        uint64_t extent = s.virtualSize ? s.virtualSize : s.rawSize;
        if (s.virtualAddress < previousEnd || s.virtualAddress + extent > plan->imageSize)
            return fail(why, "sections overlap or lie outside the image");
        uint64_t copied = std::min<uint64_t>(s.rawSize, extent);
        if (copied && (uint64_t)s.rawOffset + copied > size)
            return fail(why, "section data beyond the end of the file");
        std::copy(data + s.rawOffset, data + s.rawOffset + copied, plan->image.begin() + s.virtualAddress);
        bool execute = (s.characteristics & (IMAGE_SCN_MEM_EXECUTE | IMAGE_SCN_CNT_CODE)) != 0;
        plan->sections.push_back(PeMappedSection{s.virtualAddress, (uint32_t)extent, execute,
                                                 (s.characteristics & IMAGE_SCN_MEM_WRITE) != 0});
        previousEnd = s.virtualAddress + extent;
    }
    return true;
}

bool readRelocations(const Laid &img, uint32_t rva, uint32_t size, PeImagePlan *plan, std::string *why)
{
    if (!img.has(rva, size))
        return fail(why, "relocation directory outside the image");
    uint64_t at = rva, end = (uint64_t)rva + size;
    while (at + 8 <= end) {
        uint32_t page = img.u32(at), blockSize = img.u32(at + 4);
        if (blockSize < 8 || blockSize % 2 || at + blockSize > end)
            return fail(why, "malformed relocation block");
        for (uint64_t e = at + 8; e + 2 <= at + blockSize; e += 2) {
            uint16_t entry = img.u16(e);
            uint16_t type = entry >> 12;
            uint64_t target = (uint64_t)page + (entry & 0xFFF);
            if (type == IMAGE_REL_BASED_ABSOLUTE)
                continue; // padding
            if (type != IMAGE_REL_BASED_HIGHLOW)
                return fail(why, "relocation of a kind other than HIGHLOW");
            if (!img.has(target, 4))
                return fail(why, "relocation outside the image");
            plan->relocations.push_back((uint32_t)target);
        }
        at += blockSize;
    }
    return true;
}

bool readImports(const Laid &img, uint32_t rva, PeImagePlan *plan, std::string *why)
{
    for (uint64_t d = rva;; d += 20) {
        if (!img.has(d, 20))
            return fail(why, "import directory outside the image");
        uint32_t lookup = img.u32(d), name = img.u32(d + 12), slots = img.u32(d + 16);
        if (!name && !slots)
            return true;
        PeImport import;
        if (!img.text(name, &import.module))
            return fail(why, "import module name outside the image");
        // The lookup table names the functions; without one the address table still does.
        uint64_t entries = lookup ? lookup : slots;
        for (uint64_t i = 0;; ++i) {
            if (!img.has(entries + 4 * i, 4) || !img.has(slots + 4 * i, 4))
                return fail(why, "import table outside the image");
            uint32_t entry = img.u32(entries + 4 * i);
            if (!entry)
                break;
            if (plan->imports.size() >= maxImports)
                return fail(why, "too many imports");
            import.slot = (uint32_t)(slots + 4 * i);
            import.name.clear();
            import.ordinal = 0;
            if (entry & 0x80000000u)
                import.ordinal = (uint16_t)entry;
            else if (!img.text((uint64_t)entry + 2, &import.name) || import.name.empty())
                return fail(why, "import name outside the image");
            plan->imports.push_back(import);
        }
    }
}

bool readExports(const Laid &img, uint32_t rva, uint32_t size, PeImagePlan *plan, std::string *why)
{
    if (!img.has(rva, 40))
        return fail(why, "export directory outside the image");
    uint32_t base = img.u32(rva + 16), functions = img.u32(rva + 20), names = img.u32(rva + 24);
    uint32_t addresses = img.u32(rva + 28), nameTable = img.u32(rva + 32), ordinals = img.u32(rva + 36);
    if (functions > maxExports || names > functions || !img.has(addresses, 4ull * functions) ||
        !img.has(nameTable, 4ull * names) || !img.has(ordinals, 2ull * names))
        return fail(why, "export tables outside the image");
    std::vector<std::string> nameOf(functions);
    for (uint32_t i = 0; i < names; ++i) {
        uint16_t index = img.u16(ordinals + 2ull * i);
        if (index >= functions || !img.text(img.u32(nameTable + 4ull * i), &nameOf[index]))
            return fail(why, "export name outside the image");
    }
    for (uint32_t i = 0; i < functions; ++i) {
        uint32_t at = img.u32(addresses + 4ull * i);
        // An address inside the export directory forwards to another module's export, which the
        // emulation does not follow; an empty slot exports nothing.
        if (!at || (at >= rva && at - rva < size))
            continue;
        if (!img.has(at, 1))
            return fail(why, "export outside the image");
        plan->exports.push_back(PeExport{base + i, nameOf[i], at});
    }
    return true;
}

} // namespace

bool planPeImage(const uint8_t *data, size_t size, PeImagePlan *plan, std::string *why)
{
    *plan = PeImagePlan();
    PeHeaders summary;
    PeFileHeaders h;
    if (!readPeHeaders(data, size, &h, &summary, why))
        return false;
    if (h.magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
        return fail(why, "not a 32-bit (PE32) image");
    if (h.optionalSize < OPTIONAL_DIRECTORIES_PE32)
        return fail(why, "truncated optional header");
    plan->machine = summary.machine;
    plan->entryPoint = summary.entryPoint;
    plan->imageBase = le32(h.opt + OPTIONAL_IMAGE_BASE);
    plan->imageSize = le32(h.opt + OPTIONAL_IMAGE_SIZE);
    if (summary.subsystem != IMAGE_SUBSYSTEM_WINDOWS_CE_GUI)
        return fail(why, "subsystem other than Windows CE (9)");
    if (((uint32_t)le16(h.opt + OPTIONAL_SUBSYSTEM_VERSION) << 16 | le16(h.opt + OPTIONAL_SUBSYSTEM_VERSION + 2)) >
        systemVersion)
        return fail(why, "made for a later Windows CE than 5.02");
    if (!layOut(data, size, h, plan, why))
        return false;

    Laid img{plan->image};
    uint32_t rva, length;
    if (dataDirectory(h, IMAGE_DIRECTORY_ENTRY_TLS, &rva, &length) && rva)
        return fail(why, "thread-local storage directory (the device's loader has none)");
    if (dataDirectory(h, IMAGE_DIRECTORY_ENTRY_BASERELOC, &rva, &length) && rva &&
        !readRelocations(img, rva, length, plan, why))
        return false;
    if (dataDirectory(h, IMAGE_DIRECTORY_ENTRY_IMPORT, &rva, &length) && rva && !readImports(img, rva, plan, why))
        return false;
    if (dataDirectory(h, IMAGE_DIRECTORY_ENTRY_EXPORT, &rva, &length) && rva &&
        !readExports(img, rva, length, plan, why))
        return false;
    if (plan->entryPoint) {
        bool inCode = false;
        for (const PeMappedSection &s : plan->sections)
            inCode = inCode || (s.execute && plan->entryPoint >= s.rva && plan->entryPoint - s.rva < s.size);
        if (!inCode)
            return fail(why, "entry point outside the code");
    }
    plan->relocatable = dataDirectory(h, IMAGE_DIRECTORY_ENTRY_BASERELOC, &rva, &length) && rva;
    return true;
}

} // namespace emu
