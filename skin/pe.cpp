// Reads a PE file's section table and walks its resource directory, checking every offset first.
#include "pe.h"

namespace skin {

namespace {

const uint32_t RESOURCE_DIRECTORY_INDEX = 2;
const uint32_t HIGH_BIT = 0x80000000u;

struct Reader {
    const std::vector<uint8_t> &bytes;
    bool has(uint64_t offset, uint64_t length) const { return offset + length <= bytes.size(); }
    uint32_t u16(uint64_t offset) const { return (uint32_t)bytes[offset] | (uint32_t)bytes[offset + 1] << 8; }
    uint32_t u32(uint64_t offset) const { return u16(offset) | u16(offset + 2) << 16; }
};

struct Section {
    uint32_t virtualAddress;
    uint32_t virtualSize;
    uint32_t rawSize;
    uint32_t rawOffset;
};

// File offset of a relative virtual address, or false if no section holds it.
bool fileOffsetOf(const std::vector<Section> &sections, uint32_t rva, uint64_t &offset)
{
    for (const Section &s : sections) {
        uint32_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && (uint64_t)rva < (uint64_t)s.virtualAddress + extent) {
            offset = (uint64_t)s.rawOffset + (rva - s.virtualAddress);
            return true;
        }
    }
    return false;
}

// Walks type, name and language levels; entries beyond the file are skipped, never followed.
void walkResources(const Reader &r, const std::vector<Section> &sections, uint64_t base, PeInfo &info)
{
    auto entries = [&](uint64_t dir, auto visit) {
        if (!r.has(dir, 16))
            return;
        uint32_t count = r.u16(dir + 12) + r.u16(dir + 14);
        for (uint32_t i = 0; i < count; ++i) {
            uint64_t entry = dir + 16 + 8ull * i;
            if (!r.has(entry, 8))
                return;
            visit(r.u32(entry), r.u32(entry + 4));
        }
    };
    entries(base, [&](uint32_t type, uint32_t typeTarget) {
        if ((type & HIGH_BIT) || !(typeTarget & HIGH_BIT))
            return;
        entries(base + (typeTarget & ~HIGH_BIT), [&](uint32_t id, uint32_t idTarget) {
            if ((id & HIGH_BIT) || !(idTarget & HIGH_BIT))
                return;
            entries(base + (idTarget & ~HIGH_BIT), [&](uint32_t, uint32_t languageTarget) {
                uint64_t data = base + languageTarget;
                if ((languageTarget & HIGH_BIT) || !r.has(data, 16))
                    return;
                PeResource resource = {type, id, r.u32(data + 4), 0, false};
                resource.complete =
                    fileOffsetOf(sections, r.u32(data), resource.offset) && r.has(resource.offset, resource.size);
                info.resources.push_back(resource);
            });
        });
    });
}

} // namespace

const PeResource *PeInfo::find(uint32_t type, uint32_t id) const
{
    for (const PeResource &resource : resources) {
        if (resource.type == type && resource.id == id)
            return &resource;
    }
    return nullptr;
}

bool PeInfo::hasId(uint32_t id) const
{
    for (const PeResource &resource : resources) {
        if (resource.id == id)
            return true;
    }
    return false;
}

PeInfo inspectPe(const std::vector<uint8_t> &bytes)
{
    PeInfo info;
    Reader r{bytes};
    info.fileSize = bytes.size();
    if (!r.has(0, 64) || bytes[0] != 'M' || bytes[1] != 'Z') {
        info.problem = "no MZ header";
        return info;
    }
    uint64_t pe = r.u32(0x3C);
    if (!r.has(pe, 24) || r.u32(pe) != 0x00004550) {
        info.problem = "no PE header";
        return info;
    }
    uint32_t sectionCount = r.u16(pe + 6), optionalSize = r.u16(pe + 20);
    uint64_t optional = pe + 24;
    if (!r.has(optional, 2)) {
        info.problem = "the file ends inside its headers";
        return info;
    }
    uint32_t magic = r.u16(optional);
    uint64_t directories = magic == 0x10B ? optional + 96 : magic == 0x20B ? optional + 112 : 0;
    uint64_t directoryCount = magic == 0x10B ? optional + 92 : optional + 108;
    if (!directories) {
        info.problem = "an unknown optional header";
        return info;
    }
    uint64_t sectionTable = optional + optionalSize;
    if (!r.has(directoryCount, 4) || !r.has(sectionTable, 40ull * sectionCount)) {
        info.problem = "the file ends inside its headers";
        return info;
    }
    info.isPe = true;
    std::vector<Section> sections;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        uint64_t s = sectionTable + 40ull * i;
        Section section = {r.u32(s + 12), r.u32(s + 8), r.u32(s + 16), r.u32(s + 20)};
        sections.push_back(section);
        if (section.rawSize && (uint64_t)section.rawOffset + section.rawSize > info.neededSize)
            info.neededSize = (uint64_t)section.rawOffset + section.rawSize;
    }
    uint64_t resourceEntry = directories + 8ull * RESOURCE_DIRECTORY_INDEX;
    if (r.u32(directoryCount) <= RESOURCE_DIRECTORY_INDEX || !r.has(resourceEntry, 8) || !r.u32(resourceEntry)) {
        info.problem = "it has no resources";
        return info;
    }
    uint64_t base = 0;
    if (!fileOffsetOf(sections, r.u32(resourceEntry), base) || !r.has(base, 16)) {
        info.problem = "its resource directory lies outside the file";
        return info;
    }
    walkResources(r, sections, base, info);
    return info;
}

} // namespace skin
