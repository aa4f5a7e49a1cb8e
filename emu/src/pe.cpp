// The PE reader: the headers, the sections, the three-level resource tree and their summary, and the
// plan of an image of code (its layout, relocations, imports and exports) that the loader maps.
#include "bytes.h"
#include "core.h"
#include "pe.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

namespace emu {
namespace {

char16_t upperAscii(char16_t c)
{
    return c >= 'a' && c <= 'z' ? (char16_t)(c - 32) : c;
}

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
    uint32_t characteristics;
};

struct Image {
    const uint8_t *data;
    size_t size;
    std::vector<Section> sections;

    // File offset of len bytes at the RVA, if they lie in one section's raw data in the file.
    bool offsetOf(uint64_t rva, uint64_t len, size_t *offset) const
    {
        for (const Section &s : sections) {
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
        for (const Section &s : sections)
            if (rva >= s.virtualAddress && rva - s.virtualAddress + len <= s.rawSize &&
                (uint64_t)s.rawOffset + (rva - s.virtualAddress) + len > size)
                return true;
        return false;
    }
};

// The resource tree: offsets inside it are relative to its start, and must stay in [base, end).
struct Tree {
    const Image *image;
    size_t base;
    size_t end;
    size_t directories = 0;
    size_t entries = 0;
    std::vector<PeResource> *out;
    std::vector<PeResource> *cutOff;
    std::set<std::pair<std::u16string, std::u16string>> seen; // type and name of every resource indexed
};

struct Entry {
    uint32_t name;
    uint32_t target;
};

bool nameAt(const Tree &t, uint32_t field, ResourceName *name)
{
    if (!(field & 0x80000000u)) {
        name->isId = true;
        name->id = (WORD)field;
        return true;
    }
    uint64_t at = (uint64_t)t.base + (field & 0x7FFFFFFFu);
    if (at + 2 > t.end)
        return false;
    uint16_t length = le16(t.image->data + at);
    if (at + 2 + 2ull * length > t.end)
        return false;
    name->isId = false;
    name->text.clear();
    for (uint16_t i = 0; i < length; ++i)
        name->text += upperAscii((char16_t)le16(t.image->data + at + 2 + 2 * i));
    return true;
}

// The entries of the directory at the given offset in the tree; false if it does not fit.
bool directoryAt(Tree &t, uint32_t offset, std::vector<Entry> *entries)
{
    if (++t.directories > maxResourceDirectories)
        return false;
    uint64_t at = (uint64_t)t.base + offset;
    if (at + 16 > t.end)
        return false;
    const uint8_t *d = t.image->data + at;
    uint64_t count = (uint64_t)le16(d + 12) + le16(d + 14);
    if (at + 16 + count * 8 > t.end)
        return false;
    entries->clear();
    for (uint64_t i = 0; i < count; ++i) {
        if (++t.entries > maxResourceEntries)
            return false;
        const uint8_t *e = d + 16 + i * 8;
        entries->push_back(Entry{le32(e), le32(e + 4)});
    }
    return true;
}

// A resource type or name as one text that keeps ids and names apart: "#2" for id 2, "$NAME".
std::u16string keyOf(const ResourceName &n)
{
    if (!n.isId)
        return u"$" + n.text;
    std::u16string digits = u"#";
    for (char c : std::to_string(n.id))
        digits += (char16_t)c;
    return digits;
}

bool isSubdirectory(uint32_t target)
{
    return (target & 0x80000000u) != 0;
}

// Adds the first language of one type and name, if its data entry is sound.
void addResource(Tree &t, const ResourceName &type, const ResourceName &name, uint32_t languagesAt)
{
    std::vector<Entry> languages;
    if (!directoryAt(t, languagesAt, &languages))
        return;
    for (const Entry &lang : languages) {
        if (isSubdirectory(lang.target))
            continue; // a fourth level does not exist; never follow it
        uint64_t at = (uint64_t)t.base + lang.target;
        if (at + 16 > t.end)
            continue;
        const uint8_t *d = t.image->data + at;
        uint32_t rva = le32(d), size = le32(d + 4);
        size_t offset;
        if (!t.image->offsetOf(rva, size, &offset)) {
            if (t.cutOff->size() < maxResources && t.image->cutOffAt(rva, size)) {
                PeResource r;
                r.type = type;
                r.name = name;
                r.size = size;
                t.cutOff->push_back(r);
            }
            continue;
        }
        if (!t.seen.insert({keyOf(type), keyOf(name)}).second)
            return; // the first of duplicates wins
        PeResource r;
        r.type = type;
        r.name = name;
        r.language = (WORD)lang.name;
        r.offset = offset;
        r.size = size;
        t.out->push_back(r);
        return;
    }
}

void readTree(Tree &t)
{
    std::vector<Entry> types, names;
    if (!directoryAt(t, 0, &types))
        return;
    for (const Entry &type : types) {
        ResourceName typeName;
        if (!isSubdirectory(type.target) || !nameAt(t, type.name, &typeName))
            continue;
        if (!directoryAt(t, type.target & 0x7FFFFFFFu, &names))
            continue;
        for (const Entry &name : names) {
            ResourceName resourceName;
            if (!isSubdirectory(name.target) || !nameAt(t, name.name, &resourceName))
                continue;
            if (t.out->size() >= maxResources)
                return;
            addResource(t, typeName, resourceName, name.target & 0x7FFFFFFFu);
        }
    }
}

// What every reader of an image needs from its headers.
struct FileHeaders {
    const uint8_t *opt = nullptr; // the optional header
    uint16_t optionalSize = 0;
    uint16_t magic = 0;
    uint64_t countAt = 0;       // offset of NumberOfRvaAndSizes in the optional header
    uint64_t directoriesAt = 0; // offset of the first data directory
    Image image{nullptr, 0, {}};
};

// Data directories the readers use.
const unsigned exportDirectory = 0;
const unsigned importDirectory = 1;
const unsigned resourceDirectory = 2;
const unsigned relocationDirectory = 5;
const unsigned tlsDirectory = 9;

// RVA and size of a data directory; false when the headers do not hold it.
bool dataDirectory(const FileHeaders &h, unsigned index, uint32_t *rva, uint32_t *size)
{
    uint64_t entry = h.directoriesAt + 8ull * index;
    if (h.countAt + 4 > h.optionalSize || le32(h.opt + h.countAt) <= index || entry + 8 > h.optionalSize)
        return false;
    *rva = le32(h.opt + entry);
    *size = le32(h.opt + entry + 4);
    return true;
}

// The headers and the section table, checked against the file; fills the summary as it goes.
bool readHeaders(const uint8_t *data, size_t size, FileHeaders *h, PeHeaders *summary, std::string *why)
{
    if (!data || size < 0x40 || data[0] != 'M' || data[1] != 'Z')
        return fail(why, "no MZ header");
    uint64_t pe = le32(data + 0x3C);
    if (pe + 24 > size || memcmp(data + pe, "PE\0\0", 4) != 0)
        return fail(why, "no PE signature");
    const uint8_t *coff = data + pe + 4;
    uint16_t sectionCount = le16(coff + 2);
    h->optionalSize = le16(coff + 16);
    uint64_t optional = pe + 24;
    if (optional + h->optionalSize > size || h->optionalSize < 2)
        return fail(why, "truncated optional header");
    h->opt = data + optional;
    h->magic = le16(h->opt);
    switch (h->magic) {
    case 0x10B: // PE32
        h->countAt = 92;
        h->directoriesAt = 96;
        break;
    case 0x20B: // PE32+
        h->countAt = 108;
        h->directoriesAt = 112;
        break;
    default:
        return fail(why, "unknown optional header magic");
    }

    h->image = Image{data, size, {}};
    uint64_t sectionsAt = optional + h->optionalSize;
    if (sectionsAt + 40ull * sectionCount > size)
        return fail(why, "truncated section table");
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint8_t *s = data + sectionsAt + 40ull * i;
        h->image.sections.push_back(Section{le32(s + 12), le32(s + 8), le32(s + 16), le32(s + 20), le32(s + 36)});
        summary->sectionsEnd = std::max<uint64_t>(summary->sectionsEnd, (uint64_t)le32(s + 20) + le32(s + 16));
    }
    summary->machine = le16(coff);
    summary->timeStamp = le32(coff + 4);
    if (h->optionalSize >= 20)
        summary->entryPoint = le32(h->opt + 16);
    if (h->optionalSize >= 70)
        summary->subsystem = le16(h->opt + 68);
    uint32_t rva, length;
    summary->relocations = dataDirectory(*h, relocationDirectory, &rva, &length) && rva != 0;
    return true;
}

} // namespace

bool readPeResources(const uint8_t *data, size_t size, std::vector<PeResource> *out, std::string *why,
                     PeHeaders *headers)
{
    PeHeaders scratch;
    if (!headers)
        headers = &scratch;
    *headers = PeHeaders();
    out->clear();
    FileHeaders h;
    if (!readHeaders(data, size, &h, headers, why))
        return false;

    // An image without a resource directory simply has no resources.
    uint32_t rva, length;
    if (!dataDirectory(h, resourceDirectory, &rva, &length) || !rva)
        return true;
    const Image &image = h.image;
    size_t base;
    if (!image.offsetOf(rva, 16, &base))
        return fail(why, "resource directory outside every section");
    // The tree may use the rest of its section's data in the file.
    size_t end = base;
    for (const Section &s : image.sections)
        if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize)
            end = (size_t)std::min<uint64_t>(size, (uint64_t)s.rawOffset + s.rawSize);
    Tree tree{&image, base, end, 0, 0, out, &headers->cutOff, {}};
    readTree(tree);
    return true;
}

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

const uint32_t IMAGE_SCN_CNT_CODE = 0x00000020;
const uint32_t IMAGE_SCN_MEM_EXECUTE = 0x20000000;
const uint32_t IMAGE_SCN_MEM_WRITE = 0x80000000;
const uint16_t IMAGE_SUBSYSTEM_WINDOWS_CE_GUI = 9;
const uint16_t IMAGE_REL_BASED_ABSOLUTE = 0;
const uint16_t IMAGE_REL_BASED_HIGHLOW = 3;
// The system the emulation stands for: Windows Mobile 6, Windows CE 5.2 (subsystem version 5.02).
const uint32_t systemVersion = (5u << 16) | 2u;
// At most this many imports, exports and import descriptors are read.
const size_t maxImports = 65536;
const size_t maxExports = 65536;

// The sections at their RVAs, and the headers before them.
bool layOut(const uint8_t *data, size_t size, const FileHeaders &h, PeImagePlan *plan, std::string *why)
{
    uint32_t headersSize = le32(h.opt + 60);
    if (!plan->imageSize || plan->imageSize > maxImageSize)
        return fail(why, "image size zero or over 16 MiB");
    if (headersSize > plan->imageSize || headersSize > size)
        return fail(why, "headers larger than the image or the file");
    plan->image.assign(plan->imageSize, 0);
    std::copy(data, data + headersSize, plan->image.begin());
    uint64_t previousEnd = headersSize;
    for (const Section &s : h.image.sections) {
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
    FileHeaders h;
    if (!readHeaders(data, size, &h, &summary, why))
        return false;
    if (h.magic != 0x10B)
        return fail(why, "not a 32-bit (PE32) image");
    if (h.optionalSize < 96)
        return fail(why, "truncated optional header");
    plan->machine = summary.machine;
    plan->entryPoint = summary.entryPoint;
    plan->imageBase = le32(h.opt + 28);
    plan->imageSize = le32(h.opt + 56);
    if (summary.subsystem != IMAGE_SUBSYSTEM_WINDOWS_CE_GUI)
        return fail(why, "subsystem other than Windows CE (9)");
    if (((uint32_t)le16(h.opt + 48) << 16 | le16(h.opt + 50)) > systemVersion)
        return fail(why, "made for a later Windows CE than 5.02");
    if (!layOut(data, size, h, plan, why))
        return false;

    Laid img{plan->image};
    uint32_t rva, length;
    if (dataDirectory(h, tlsDirectory, &rva, &length) && rva)
        return fail(why, "thread-local storage directory (the device's loader has none)");
    if (dataDirectory(h, relocationDirectory, &rva, &length) && rva && !readRelocations(img, rva, length, plan, why))
        return false;
    if (dataDirectory(h, importDirectory, &rva, &length) && rva && !readImports(img, rva, plan, why))
        return false;
    if (dataDirectory(h, exportDirectory, &rva, &length) && rva && !readExports(img, rva, length, plan, why))
        return false;
    if (plan->entryPoint) {
        bool inCode = false;
        for (const PeMappedSection &s : plan->sections)
            inCode = inCode || (s.execute && plan->entryPoint >= s.rva && plan->entryPoint - s.rva < s.size);
        if (!inCode)
            return fail(why, "entry point outside the code");
    }
    plan->relocatable = dataDirectory(h, relocationDirectory, &rva, &length) && rva;
    return true;
}

ResourceName resourceNameOf(LPCWSTR name)
{
    ResourceName r;
    if (IS_INTRESOURCE(name)) {
        r.id = (WORD)(ULONG_PTR)name;
        return r;
    }
    // "#123" names the integer id 123.
    if (name[0] == '#') {
        unsigned long id = 0;
        size_t i = 1;
        for (; name[i] >= '0' && name[i] <= '9' && id <= 0xFFFF; ++i)
            id = id * 10 + (name[i] - '0');
        if (!name[i] && i > 1 && id <= 0xFFFF) {
            r.id = (WORD)id;
            return r;
        }
    }
    r.isId = false;
    for (size_t i = 0; name[i]; ++i)
        r.text += upperAscii((char16_t)name[i]);
    return r;
}

} // namespace emu

using namespace emu;

extern "C" {

void emuInspectModuleFile(const void *bytes, size_t size, EmuModuleFile *out)
{
    if (!out)
        return;
    memset(out, 0, sizeof *out);
    out->fileSize = size;
    std::vector<PeResource> resources;
    std::string why;
    PeHeaders headers;
    out->isModule = readPeResources(static_cast<const uint8_t *>(bytes), size, &resources, &why, &headers);
    snprintf(out->problem, sizeof out->problem, "%s", why.c_str());
    out->sectionsEnd = headers.sectionsEnd;
    out->resources = (int)resources.size();
    out->machine = headers.machine;
    out->subsystem = headers.subsystem;
    out->timeStamp = headers.timeStamp;
    out->entryPoint = headers.entryPoint;
    out->relocations = headers.relocations;
}

} // extern "C"
