// Builds small PE images with resources in memory (see pebuilder.h).
#include "pebuilder.h"

#include <algorithm>

#include "peformat.h"

namespace pebuilder {
namespace {

using namespace emu;

const uint32_t sectionRva = 0x1000;
const size_t headersSize = 0x200;

struct TypeGroup {
    const Resource *first;
    std::vector<const Resource *> members;
};

bool sameType(const Resource &a, const Resource &b)
{
    return a.typeName == b.typeName && (!a.typeName.empty() || a.type == b.type);
}

// The resource directory tree for resources at the given RVA.
Bytes resourceSection(const std::vector<Resource> &resources, uint32_t rva, size_t *typeDirectory,
                      size_t *firstLanguage, size_t *firstDataEntry, size_t *firstData)
{
    std::vector<TypeGroup> types;
    for (const Resource &r : resources) {
        auto it = std::find_if(types.begin(), types.end(), [&](const TypeGroup &g) { return sameType(*g.first, r); });
        if (it == types.end())
            types.push_back(TypeGroup{&r, {&r}});
        else
            it->members.push_back(&r);
    }
    // Offsets of each part, in the order they are laid out.
    size_t at = 16 + 8 * types.size();
    std::vector<size_t> nameDirs, langDirs, dataEntries, strings, datas;
    for (const TypeGroup &g : types) {
        nameDirs.push_back(at);
        at += 16 + 8 * g.members.size();
    }
    for (size_t i = 0; i < resources.size(); ++i) {
        langDirs.push_back(at);
        at += 16 + 8;
    }
    for (size_t i = 0; i < resources.size(); ++i) {
        dataEntries.push_back(at);
        at += 16;
    }
    std::vector<size_t> typeStrings(types.size(), 0);
    for (size_t i = 0; i < types.size(); ++i)
        if (!types[i].first->typeName.empty()) {
            typeStrings[i] = at;
            at += 2 + 2 * types[i].first->typeName.size();
        }
    for (const Resource &r : resources) {
        strings.push_back(at);
        if (!r.name.empty())
            at += 2 + 2 * r.name.size();
    }
    for (const Resource &r : resources) {
        at = (at + 3) & ~size_t(3);
        datas.push_back(at);
        at += r.data.size();
    }

    Bytes s(at, 0);
    auto directory = [&](size_t where, size_t named, size_t ids) {
        put16(s, where + 12, (uint32_t)named);
        put16(s, where + 14, (uint32_t)ids);
    };
    auto nameField = [](const std::u16string &text, size_t stringAt, unsigned id) {
        return text.empty() ? id : (uint32_t)(0x80000000u | stringAt);
    };
    auto writeString = [&](size_t where, const std::u16string &text) {
        put16(s, where, (uint32_t)text.size());
        for (size_t i = 0; i < text.size(); ++i)
            put16(s, where + 2 + 2 * i, text[i]);
    };
    size_t namedTypes = 0;
    for (size_t t = 0; t < types.size(); ++t)
        namedTypes += !types[t].first->typeName.empty();
    directory(0, namedTypes, types.size() - namedTypes);
    for (size_t t = 0; t < types.size(); ++t) {
        const Resource &first = *types[t].first;
        if (!first.typeName.empty())
            writeString(typeStrings[t], first.typeName);
        put32(s, 16 + 8 * t, nameField(first.typeName, typeStrings[t], first.type));
        put32(s, 16 + 8 * t + 4, 0x80000000u | (uint32_t)nameDirs[t]);
        size_t named = 0;
        for (const Resource *r : types[t].members)
            named += !r->name.empty();
        directory(nameDirs[t], named, types[t].members.size() - named);
        for (size_t m = 0; m < types[t].members.size(); ++m) {
            const Resource &r = *types[t].members[m];
            size_t i = (size_t)(&r - &resources[0]);
            if (!r.name.empty())
                writeString(strings[i], r.name);
            put32(s, nameDirs[t] + 16 + 8 * m, nameField(r.name, strings[i], r.id));
            put32(s, nameDirs[t] + 16 + 8 * m + 4, 0x80000000u | (uint32_t)langDirs[i]);
        }
    }
    for (size_t i = 0; i < resources.size(); ++i) {
        directory(langDirs[i], 0, 1);
        put32(s, langDirs[i] + 16, 0x409);
        put32(s, langDirs[i] + 20, (uint32_t)dataEntries[i]);
        put32(s, dataEntries[i], rva + (uint32_t)datas[i]);
        put32(s, dataEntries[i] + 4, (uint32_t)resources[i].data.size());
        std::copy(resources[i].data.begin(), resources[i].data.end(), s.begin() + datas[i]);
    }
    *typeDirectory = nameDirs.empty() ? 0 : nameDirs[0];
    *firstLanguage = langDirs.empty() ? 0 : langDirs[0] + 16;
    *firstDataEntry = dataEntries.empty() ? 0 : dataEntries[0];
    *firstData = datas.empty() ? 0 : datas[0];
    return s;
}

} // namespace

Bytes build(const std::vector<Resource> &resources, Kind kind, uint16_t machine, Layout *layout)
{
    size_t typeDirectory, firstLanguage, firstDataEntry, firstData;
    Bytes rsrc = resourceSection(resources, sectionRva, &typeDirectory, &firstLanguage, &firstDataEntry, &firstData);
    size_t rawSize = (rsrc.size() + 0x1FF) & ~size_t(0x1FF);
    rsrc.resize(rawSize, 0);

    const size_t pe = 0x40;
    const size_t directories = kind == pe32 ? OPTIONAL_DIRECTORIES_PE32 : OPTIONAL_DIRECTORIES_PE32PLUS;
    const size_t optionalSize = directories + 8 * IMAGE_NUMBEROF_DIRECTORY_ENTRIES;
    const size_t file = pe + FILE_HEADER_AT, optional = pe + OPTIONAL_HEADER_AT;
    const size_t sections = optional + optionalSize,
                 resourceEntry = optional + directories + 8 * IMAGE_DIRECTORY_ENTRY_RESOURCE;
    Bytes f(headersSize, 0);
    f[0] = 'M';
    f[1] = 'Z';
    put32(f, PE_SIGNATURE_POINTER, (uint32_t)pe);
    f[pe] = 'P';
    f[pe + 1] = 'E';
    put16(f, file, machine);
    put16(f, file + FILE_SECTION_COUNT, 1);
    put16(f, file + FILE_OPTIONAL_SIZE, (uint32_t)optionalSize);
    put16(f, file + FILE_CHARACTERISTICS,
          IMAGE_FILE_DLL | IMAGE_FILE_EXECUTABLE_IMAGE |
              (kind == pe32 ? IMAGE_FILE_32BIT_MACHINE : IMAGE_FILE_LARGE_ADDRESS_AWARE));
    put16(f, optional, kind == pe32 ? IMAGE_NT_OPTIONAL_HDR32_MAGIC : IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    put32(f, optional + 32, 0x1000); // section alignment
    put32(f, optional + 36, 0x200);  // file alignment
    put32(f, optional + OPTIONAL_IMAGE_SIZE, sectionRva + (uint32_t)rawSize);
    put32(f, optional + OPTIONAL_HEADERS_SIZE, (uint32_t)headersSize);
    put32(f, optional + directories - 4, IMAGE_NUMBEROF_DIRECTORY_ENTRIES);
    put32(f, resourceEntry, sectionRva);
    put32(f, resourceEntry + 4, (uint32_t)rsrc.size());
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, f.begin() + sections);
    put32(f, sections + SECTION_VIRTUAL_SIZE, (uint32_t)rsrc.size());
    put32(f, sections + SECTION_ADDRESS, sectionRva);
    put32(f, sections + SECTION_RAW_SIZE, (uint32_t)rawSize);
    put32(f, sections + SECTION_RAW_OFFSET, (uint32_t)headersSize);
    put32(f, sections + SECTION_CHARACTERISTICS, IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ);
    f.insert(f.end(), rsrc.begin(), rsrc.end());
    if (layout) {
        layout->peHeader = pe;
        layout->optionalHeader = optional;
        layout->resourceEntry = resourceEntry;
        layout->sectionTable = sections;
        layout->resources = headersSize;
        layout->resourcesRva = sectionRva;
        layout->typeDirectory = headersSize + typeDirectory;
        layout->firstLanguage = headersSize + firstLanguage;
        layout->firstDataEntry = headersSize + firstDataEntry;
        layout->firstData = headersSize + firstData;
    }
    return f;
}

namespace {

void putText(Bytes &b, size_t at, const std::string &text)
{
    std::copy(text.begin(), text.end(), b.begin() + at);
}

// The import and export tables at tablesRva: address slots first, then descriptors, lookup
// tables and names; the export directory at exportsAt.
const size_t exportsAt = 0x800;
Bytes codeTables(const CodeImage &image, CodeLayout *layout, size_t *importNames)
{
    std::vector<std::string> modules;
    for (const Import &i : image.imports)
        if (std::find(modules.begin(), modules.end(), i.module) == modules.end())
            modules.push_back(i.module);
    Bytes t(0x1000, 0);
    size_t slot = 0, at = 4 * (image.imports.size() + modules.size());
    size_t descriptors = at, lookups = descriptors + 20 * (modules.size() + 1);
    size_t names = lookups + 4 * (image.imports.size() + modules.size());
    for (size_t m = 0; m < modules.size(); ++m) {
        put32(t, descriptors + 20 * m, tablesRva + (uint32_t)(lookups + 4 * slot));
        put32(t, descriptors + 20 * m + 12, tablesRva + (uint32_t)names);
        put32(t, descriptors + 20 * m + 16, tablesRva + (uint32_t)(4 * slot));
        putText(t, names, modules[m]);
        names += modules[m].size() + 1;
        for (const Import &i : image.imports) {
            if (i.module != modules[m])
                continue;
            layout->slots.push_back(tablesRva + (uint32_t)(4 * slot));
            uint32_t entry = 0x80000000u | i.ordinal;
            if (!i.name.empty()) {
                entry = tablesRva + (uint32_t)names;
                putText(t, names + 2, i.name);
                names += i.name.size() + 3;
            }
            if (!*importNames)
                *importNames = lookups + 4 * slot;
            put32(t, lookups + 4 * slot, entry);
            put32(t, 4 * slot++, entry);
        }
        ++slot; // the module's terminating slot
    }
    layout->importDirectory = tablesRva + (uint32_t)descriptors;
    size_t exports = exportsAt, count = image.exports.size();
    put32(t, exports + 16, 1);                                                // ordinal base
    put32(t, exports + 20, (uint32_t)count);                                  // functions
    put32(t, exports + 24, (uint32_t)count);                                  // names
    put32(t, exports + 28, tablesRva + (uint32_t)(exports + 40));             // addresses
    put32(t, exports + 32, tablesRva + (uint32_t)(exports + 40 + 4 * count)); // name pointers
    put32(t, exports + 36, tablesRva + (uint32_t)(exports + 40 + 8 * count)); // name ordinals
    names = exports + 40 + 10 * count;
    for (size_t e = 0; e < count; ++e) {
        put32(t, exports + 40 + 4 * e, image.exports[e].second);
        put32(t, exports + 40 + 4 * count + 4 * e, tablesRva + (uint32_t)names);
        put16(t, exports + 40 + 8 * count + 2 * e, (uint32_t)e);
        putText(t, names, image.exports[e].first);
        names += image.exports[e].first.size() + 1;
    }
    return t;
}

} // namespace

Bytes buildCode(const CodeImage &image, uint16_t machine, CodeLayout *layout)
{
    CodeLayout scratch;
    layout = layout ? layout : &scratch;
    *layout = CodeLayout();
    Bytes code;
    for (size_t i = 0; i < image.code.size(); ++i) {
        bool address = std::find(image.addresses.begin(), image.addresses.end(), i) != image.addresses.end();
        append32(code, image.code[i] + (address ? codeBase : 0));
    }
    code.resize(0x200, 0);
    size_t importNames = 0;
    Bytes tables = codeTables(image, layout, &importNames);
    Bytes relocations;
    append32(relocations, codeRva);
    append32(relocations, (uint32_t)(8 + 2 * image.addresses.size() + 2 * (image.addresses.size() % 2)));
    for (size_t word : image.addresses)
        append16(relocations, IMAGE_REL_BASED_HIGHLOW << 12 | (uint32_t)(4 * word));
    relocations.resize(0x200, 0);

    // Resource-free headers from the resource builder, then the four sections of code.
    Layout l;
    Bytes f = build({}, pe32, machine, &l);
    f.resize(headersSize);
    const size_t optional = l.optionalHeader, sections = l.sectionTable;
    const size_t directories = optional + OPTIONAL_DIRECTORIES_PE32;
    put16(f, l.peHeader + FILE_HEADER_AT + FILE_SECTION_COUNT, 4);
    put32(f, optional + OPTIONAL_ENTRY_POINT, image.entry);
    put32(f, optional + OPTIONAL_IMAGE_BASE, codeBase);
    put16(f, optional + OPTIONAL_SUBSYSTEM_VERSION, 5); // 5.0
    put16(f, optional + OPTIONAL_SUBSYSTEM_VERSION + 2, 0);
    put32(f, optional + OPTIONAL_IMAGE_SIZE, relocationsRva + 0x1000);
    put16(f, optional + OPTIONAL_SUBSYSTEM, IMAGE_SUBSYSTEM_WINDOWS_CE_GUI);
    std::fill(f.begin() + directories, f.begin() + directories + 8 * IMAGE_NUMBEROF_DIRECTORY_ENTRIES, 0);
    put32(f, directories + 8 * IMAGE_DIRECTORY_ENTRY_EXPORT, tablesRva + (uint32_t)exportsAt);
    put32(f, directories + 8 * IMAGE_DIRECTORY_ENTRY_IMPORT, layout->importDirectory);
    put32(f, directories + 8 * IMAGE_DIRECTORY_ENTRY_BASERELOC, relocationsRva);
    put32(f, directories + 8 * IMAGE_DIRECTORY_ENTRY_BASERELOC + 4,
          (uint32_t)(8 + 2 * image.addresses.size() + 2 * (image.addresses.size() % 2)));
    const struct {
        const char *name;
        uint32_t rva;
        const Bytes *bytes;
        uint32_t flags;
    } parts[] = {{".text", codeRva, &code, IMAGE_SCN_CNT_CODE | IMAGE_SCN_MEM_EXECUTE | IMAGE_SCN_MEM_READ},
                 {".data", dataRva, nullptr, IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ | IMAGE_SCN_MEM_WRITE},
                 {".idata", tablesRva, &tables, IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_READ},
                 {".reloc", relocationsRva, &relocations,
                  IMAGE_SCN_CNT_INITIALIZED_DATA | IMAGE_SCN_MEM_DISCARDABLE | IMAGE_SCN_MEM_READ}};
    for (int i = 0; i < 4; ++i) {
        size_t at = sections + SECTION_HEADER_SIZE * i, raw = f.size();
        std::fill(f.begin() + at, f.begin() + at + SECTION_HEADER_SIZE, 0);
        putText(f, at, parts[i].name);
        put32(f, at + SECTION_VIRTUAL_SIZE, parts[i].bytes ? (uint32_t)parts[i].bytes->size() : 0x200);
        put32(f, at + SECTION_ADDRESS, parts[i].rva);
        put32(f, at + SECTION_RAW_SIZE, parts[i].bytes ? (uint32_t)parts[i].bytes->size() : 0);
        put32(f, at + SECTION_RAW_OFFSET, parts[i].bytes ? (uint32_t)raw : 0);
        put32(f, at + SECTION_CHARACTERISTICS, parts[i].flags);
        if (parts[i].bytes)
            f.insert(f.end(), parts[i].bytes->begin(), parts[i].bytes->end());
    }
    layout->fileHeader = l.peHeader + FILE_HEADER_AT;
    layout->optionalHeader = optional;
    layout->sectionTable = sections;
    layout->relocations = headersSize + 0x200 + 0x1000;
    layout->importNames = headersSize + 0x200 + importNames;
    return f;
}

Bytes dib24(int width, int height, const std::function<uint32_t(int x, int y)> &colour)
{
    Bytes b;
    append32(b, 40);
    append32(b, (uint32_t)width);
    append32(b, (uint32_t)height);
    append16(b, 1);
    append16(b, 24);
    for (int i = 0; i < 6; ++i)
        append32(b, 0);
    for (int y = height - 1; y >= 0; --y) {
        size_t start = b.size();
        for (int x = 0; x < width; ++x) {
            uint32_t c = colour(x, y);
            b.push_back(c & 0xFF);
            b.push_back((c >> 8) & 0xFF);
            b.push_back((c >> 16) & 0xFF);
        }
        while ((b.size() - start) % 4)
            b.push_back(0);
    }
    return b;
}

Bytes bmpFile(const Bytes &dib)
{
    // The bits follow the header and the colour table, if any (biClrUsed; none for 24 bits here).
    uint32_t headerSize = dib.size() >= 4 ? le16(&dib[0]) : 0;
    uint32_t colours = dib.size() >= 36 ? le16(&dib[32]) : 0;
    Bytes b = {'B', 'M'};
    append32(b, (uint32_t)(14 + dib.size()));
    append32(b, 0);
    append32(b, 14 + headerSize + 4 * colours);
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

} // namespace pebuilder
