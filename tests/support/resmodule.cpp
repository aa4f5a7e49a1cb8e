// Resource-only PE images and DIBs, written byte by byte as the PE and BMP formats lay them out.
#include "resmodule.h"

#include <algorithm>
#include <map>

namespace testsupport {
namespace {

void put16(Bytes &b, size_t at, uint16_t v)
{
    b[at] = v & 0xFF;
    b[at + 1] = v >> 8;
}

void put32(Bytes &b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = (v >> (8 * i)) & 0xFF;
}

size_t alignUp(size_t v, size_t a)
{
    return (v + a - 1) / a * a;
}

const uint32_t sectionRva = 0x1000;
const size_t fileAlignment = 0x200;
const size_t sectionAlignment = 0x1000;

// The .rsrc section: type directory, name directories, language directories, data entries, data.
Bytes buildResourceSection(const std::vector<Resource> &resources)
{
    std::map<unsigned, std::map<unsigned, const Bytes *>> tree;
    for (const Resource &r : resources)
        tree[r.type][r.id] = &r.data;

    size_t types = tree.size();
    size_t names = 0;
    for (auto &t : tree)
        names += t.second.size();

    // Layout: root dir; one dir per type; one language dir per name; data entries; data.
    size_t rootSize = 16 + 8 * types;
    size_t typeDirsSize = 0;
    for (auto &t : tree)
        typeDirsSize += 16 + 8 * t.second.size();
    size_t langDirsSize = names * (16 + 8);
    size_t entriesSize = names * 16;
    size_t dataStart = alignUp(rootSize + typeDirsSize + langDirsSize + entriesSize, 8);
    size_t total = dataStart;
    for (auto &t : tree)
        for (auto &n : t.second)
            total = alignUp(total + n.second->size(), 8);

    Bytes s(total, 0);
    size_t typeDir = rootSize;
    size_t langDir = rootSize + typeDirsSize;
    size_t entry = langDir + langDirsSize;
    size_t data = dataStart;

    put16(s, 14, (uint16_t)types);
    size_t rootEntry = 16;
    for (auto &t : tree) {
        put32(s, rootEntry, t.first);
        put32(s, rootEntry + 4, 0x80000000u | (uint32_t)typeDir);
        rootEntry += 8;
        put16(s, typeDir + 14, (uint16_t)t.second.size());
        size_t nameEntry = typeDir + 16;
        for (auto &n : t.second) {
            put32(s, nameEntry, n.first);
            put32(s, nameEntry + 4, 0x80000000u | (uint32_t)langDir);
            nameEntry += 8;
            put16(s, langDir + 14, 1);
            put32(s, langDir + 16, 0x0409);
            put32(s, langDir + 20, (uint32_t)entry);
            langDir += 24;
            put32(s, entry, sectionRva + (uint32_t)data);
            put32(s, entry + 4, (uint32_t)n.second->size());
            entry += 16;
            std::copy(n.second->begin(), n.second->end(), s.begin() + data);
            data = alignUp(data + n.second->size(), 8);
        }
        typeDir = nameEntry;
    }
    return s;
}

} // namespace

Bytes buildResourceModule(const std::vector<Resource> &resources)
{
    Bytes section = buildResourceSection(resources);
    size_t headersSize = fileAlignment;
    size_t rawSize = alignUp(section.size(), fileAlignment);
    Bytes pe(headersSize + rawSize, 0);

    pe[0] = 'M';
    pe[1] = 'Z';
    put32(pe, 0x3C, 0x40);
    size_t nt = 0x40;
    pe[nt] = 'P';
    pe[nt + 1] = 'E';
    size_t coff = nt + 4;
    put16(pe, coff, 0x014C); // i386
    put16(pe, coff + 2, 1);  // one section
    put16(pe, coff + 16, 0xE0);
    put16(pe, coff + 18, 0x2102); // executable image, 32-bit machine, DLL
    size_t opt = coff + 20;
    put16(pe, opt, 0x10B);                 // PE32
    put32(pe, opt + 8, (uint32_t)rawSize); // size of initialised data
    put32(pe, opt + 28, 0x10000000);       // image base
    put32(pe, opt + 32, (uint32_t)sectionAlignment);
    put32(pe, opt + 36, (uint32_t)fileAlignment);
    put16(pe, opt + 40, 4);                                                                  // OS version
    put16(pe, opt + 48, 4);                                                                  // subsystem version
    put32(pe, opt + 56, (uint32_t)(sectionRva + alignUp(section.size(), sectionAlignment))); // image size
    put32(pe, opt + 60, (uint32_t)headersSize);
    put16(pe, opt + 68, 9);                  // Windows CE GUI
    put32(pe, opt + 92, 16);                 // data directories
    put32(pe, opt + 96 + 2 * 8, sectionRva); // resource directory
    put32(pe, opt + 96 + 2 * 8 + 4, (uint32_t)section.size());
    size_t sh = opt + 0xE0;
    const char name[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::copy(name, name + 8, pe.begin() + sh);
    put32(pe, sh + 8, (uint32_t)section.size());
    put32(pe, sh + 12, sectionRva);
    put32(pe, sh + 16, (uint32_t)rawSize);
    put32(pe, sh + 20, (uint32_t)headersSize);
    put32(pe, sh + 36, 0x40000040); // initialised data, readable
    std::copy(section.begin(), section.end(), pe.begin() + headersSize);
    return pe;
}

Bytes dib24(int width, int height, const std::function<uint32_t(int, int)> &pixel)
{
    size_t stride = alignUp((size_t)width * 3, 4);
    Bytes b(40 + stride * height, 0);
    put32(b, 0, 40);
    put32(b, 4, (uint32_t)width);
    put32(b, 8, (uint32_t)height); // positive: bottom-up
    put16(b, 12, 1);
    put16(b, 14, 24);
    put32(b, 20, (uint32_t)(stride * height));
    for (int y = 0; y < height; ++y) {
        size_t row = 40 + stride * (height - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint32_t c = pixel(x, y);
            b[row + 3 * x] = c & 0xFF;
            b[row + 3 * x + 1] = (c >> 8) & 0xFF;
            b[row + 3 * x + 2] = (c >> 16) & 0xFF;
        }
    }
    return b;
}

} // namespace testsupport
