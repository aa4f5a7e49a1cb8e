// The PE resource reader: the headers, the sections, the three-level resource tree and their summary.
#include "pe/pe.h"

#include "bytes.h"
#include "peformat.h"

#include <emu.h>

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

// The resource tree: offsets inside it are relative to its start, and must stay in [base, end).
struct Tree {
    const PeFile *image;
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

} // namespace

bool dataDirectory(const PeFileHeaders &h, unsigned index, uint32_t *rva, uint32_t *size)
{
    uint64_t entry = h.directoriesAt + 8ull * index;
    if (h.directoriesAt > h.optionalSize || le32(h.opt + h.directoriesAt - 4) <= index || entry + 8 > h.optionalSize)
        return false;
    *rva = le32(h.opt + entry);
    *size = le32(h.opt + entry + 4);
    return true;
}

bool readPeHeaders(const uint8_t *data, size_t size, PeFileHeaders *h, PeHeaders *summary, std::string *why)
{
    if (!data || size < 0x40 || data[0] != 'M' || data[1] != 'Z')
        return fail(why, "no MZ header");
    uint64_t pe = le32(data + PE_SIGNATURE_POINTER);
    if (pe + OPTIONAL_HEADER_AT > size || memcmp(data + pe, "PE\0\0", 4) != 0)
        return fail(why, "no PE signature");
    const uint8_t *coff = data + pe + FILE_HEADER_AT;
    uint16_t sectionCount = le16(coff + FILE_SECTION_COUNT);
    h->optionalSize = le16(coff + FILE_OPTIONAL_SIZE);
    uint64_t optional = pe + OPTIONAL_HEADER_AT;
    if (optional + h->optionalSize > size || h->optionalSize < 2)
        return fail(why, "truncated optional header");
    h->opt = data + optional;
    h->magic = le16(h->opt);
    switch (h->magic) {
    case IMAGE_NT_OPTIONAL_HDR32_MAGIC:
        h->directoriesAt = OPTIONAL_DIRECTORIES_PE32;
        break;
    case IMAGE_NT_OPTIONAL_HDR64_MAGIC:
        h->directoriesAt = OPTIONAL_DIRECTORIES_PE32PLUS;
        break;
    default:
        return fail(why, "unknown optional header magic");
    }

    h->image = PeFile{data, size, {}};
    uint64_t sectionsAt = optional + h->optionalSize;
    if (sectionsAt + (uint64_t)SECTION_HEADER_SIZE * sectionCount > size)
        return fail(why, "truncated section table");
    for (uint16_t i = 0; i < sectionCount; ++i) {
        const uint8_t *s = data + sectionsAt + (uint64_t)SECTION_HEADER_SIZE * i;
        PeSection section{le32(s + SECTION_ADDRESS), le32(s + SECTION_VIRTUAL_SIZE), le32(s + SECTION_RAW_SIZE),
                          le32(s + SECTION_RAW_OFFSET), le32(s + SECTION_CHARACTERISTICS)};
        h->image.sections.push_back(section);
        summary->sectionsEnd = std::max<uint64_t>(summary->sectionsEnd, (uint64_t)section.rawOffset + section.rawSize);
    }
    summary->machine = le16(coff);
    summary->timeStamp = le32(coff + FILE_TIME_STAMP);
    if (h->optionalSize >= OPTIONAL_ENTRY_POINT + 4)
        summary->entryPoint = le32(h->opt + OPTIONAL_ENTRY_POINT);
    if (h->optionalSize >= OPTIONAL_SUBSYSTEM + 2)
        summary->subsystem = le16(h->opt + OPTIONAL_SUBSYSTEM);
    uint32_t rva, length;
    summary->relocations = dataDirectory(*h, IMAGE_DIRECTORY_ENTRY_BASERELOC, &rva, &length) && rva != 0;
    return true;
}

bool readPeResources(const uint8_t *data, size_t size, std::vector<PeResource> *out, std::string *why,
                     PeHeaders *headers)
{
    PeHeaders scratch;
    if (!headers)
        headers = &scratch;
    *headers = PeHeaders();
    out->clear();
    PeFileHeaders h;
    if (!readPeHeaders(data, size, &h, headers, why))
        return false;

    // An image without a resource directory simply has no resources.
    uint32_t rva, length;
    if (!dataDirectory(h, IMAGE_DIRECTORY_ENTRY_RESOURCE, &rva, &length) || !rva)
        return true;
    const PeFile &image = h.image;
    size_t base;
    if (!image.offsetOf(rva, 16, &base))
        return fail(why, "resource directory outside every section");
    // The tree may use the rest of its section's data in the file.
    size_t end = base;
    for (const PeSection &s : image.sections)
        if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize)
            end = (size_t)std::min<uint64_t>(size, (uint64_t)s.rawOffset + s.rawSize);
    Tree tree{&image, base, end, 0, 0, out, &headers->cutOff, {}};
    readTree(tree);
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
    readVersionResource(static_cast<const uint8_t *>(bytes), resources, out);
}

} // extern "C"
