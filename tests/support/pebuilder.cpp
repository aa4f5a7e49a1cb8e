// Builds small PE images with resources in memory (see pebuilder.h).
#include "pebuilder.h"

#include <algorithm>

namespace pebuilder {
namespace {

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

void put16(Bytes &b, size_t at, uint32_t v)
{
    b[at] = v & 0xFF;
    b[at + 1] = (v >> 8) & 0xFF;
}

void put32(Bytes &b, size_t at, uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

void append16(Bytes &b, uint32_t v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void append32(Bytes &b, uint32_t v)
{
    append16(b, v & 0xFFFF);
    append16(b, v >> 16);
}

Bytes build(const std::vector<Resource> &resources, Kind kind, uint16_t machine, Layout *layout)
{
    size_t typeDirectory, firstLanguage, firstDataEntry, firstData;
    Bytes rsrc = resourceSection(resources, sectionRva, &typeDirectory, &firstLanguage, &firstDataEntry, &firstData);
    size_t rawSize = (rsrc.size() + 0x1FF) & ~size_t(0x1FF);
    rsrc.resize(rawSize, 0);

    const size_t pe = 0x40;
    const size_t optionalSize = kind == pe32 ? 96 + 16 * 8 : 112 + 16 * 8;
    const size_t optional = pe + 24;
    const size_t sections = optional + optionalSize;
    Bytes f(headersSize, 0);
    f[0] = 'M';
    f[1] = 'Z';
    put32(f, 0x3C, (uint32_t)pe);
    f[pe] = 'P';
    f[pe + 1] = 'E';
    put16(f, pe + 4, machine);
    put16(f, pe + 6, 1); // one section
    put16(f, pe + 20, (uint32_t)optionalSize);
    put16(f, pe + 22, kind == pe32 ? 0x2102 : 0x2022); // DLL, executable image
    put16(f, optional, kind == pe32 ? 0x10B : 0x20B);
    size_t directories = optional + (kind == pe32 ? 96 : 112);
    put32(f, optional + 32, 0x1000);                         // section alignment
    put32(f, optional + 36, 0x200);                          // file alignment
    put32(f, optional + 56, sectionRva + (uint32_t)rawSize); // size of image
    put32(f, optional + 60, (uint32_t)headersSize);          // size of headers
    put32(f, directories - 4, 16);                           // number of data directories
    put32(f, directories + 16, sectionRva);                  // resource directory RVA
    put32(f, directories + 20, (uint32_t)rsrc.size());       // and size
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, f.begin() + sections);
    put32(f, sections + 8, (uint32_t)rsrc.size());  // virtual size
    put32(f, sections + 12, sectionRva);            // virtual address
    put32(f, sections + 16, (uint32_t)rawSize);     // raw size
    put32(f, sections + 20, (uint32_t)headersSize); // raw offset
    put32(f, sections + 36, 0x40000040);            // initialised data, readable
    f.insert(f.end(), rsrc.begin(), rsrc.end());
    if (layout) {
        layout->peHeader = pe;
        layout->optionalHeader = optional;
        layout->resourceEntry = directories + 16;
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
    uint32_t headerSize = dib.size() >= 4 ? (uint32_t)(dib[0] | dib[1] << 8) : 0;
    uint32_t colours = dib.size() >= 36 ? (uint32_t)(dib[32] | dib[33] << 8) : 0;
    Bytes b = {'B', 'M'};
    append32(b, (uint32_t)(14 + dib.size()));
    append32(b, 0);
    append32(b, 14 + headerSize + 4 * colours);
    b.insert(b.end(), dib.begin(), dib.end());
    return b;
}

} // namespace pebuilder
