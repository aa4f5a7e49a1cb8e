// The version resource (RT_VERSION): a VS_VERSIONINFO tree of blocks, each a length, the length of
// its value, its type, a key and the value, its children after it, everything aligned to 4 bytes.
// Read as the device's file properties read it: the fixed part's two versions and the first string
// table's strings; the fixed part, the string table and its strings are the only depths read.
#include "pe/pe.h"

#include "bytes.h"

#include <emu.h>

#include "text.h"

#include <cstdio>
#include <cstring>

namespace emu {
namespace {

const WORD RT_VERSION_ID = 16;
const uint32_t FIXED_SIGNATURE = 0xFEEF04BD;

struct Block {
    std::u16string key;
    size_t value = 0;      // where the value starts
    size_t valueBytes = 0; // of a text value: its characters, terminator included, times two
    size_t children = 0;   // where the first child starts
    size_t end = 0;        // where the block ends
};

size_t aligned(size_t at)
{
    return (at + 3) & ~(size_t)3;
}

// The block at the offset, inside [at, limit); false if it does not fit.
bool blockAt(const uint8_t *data, size_t at, size_t limit, Block *b)
{
    if (at + 6 > limit)
        return false;
    size_t length = le16(data + at), valueLength = le16(data + at + 2), type = le16(data + at + 4);
    if (length < 6 || at + length > limit)
        return false;
    b->end = at + length;
    b->key.clear();
    size_t p = at + 6;
    for (; p + 2 <= b->end && le16(data + p); p += 2)
        b->key += (char16_t)le16(data + p);
    if (p + 2 > b->end)
        return false;
    b->value = aligned(p + 2);
    b->valueBytes = type == 1 ? valueLength * 2 : valueLength;
    if (b->value + b->valueBytes > b->end)
        b->valueBytes = b->value > b->end ? 0 : b->end - b->value;
    b->children = aligned(b->value + b->valueBytes);
    return true;
}

void copyText(const uint8_t *data, const Block &b, char *out, size_t size)
{
    std::u16string text;
    for (size_t p = b.value; p + 2 <= b.value + b.valueBytes && le16(data + p); p += 2)
        text += (char16_t)le16(data + p);
    snprintf(out, size, "%s", utf8FromUtf16(text).c_str());
}

void dotted(uint32_t high, uint32_t low, char *out, size_t size)
{
    snprintf(out, size, "%u.%u.%u.%u", high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF);
}

// The strings the summary keeps, from the string table's children.
void readStrings(const uint8_t *data, const Block &table, EmuModuleFile *out)
{
    const struct {
        const char16_t *key;
        char *field;
        size_t size;
    } wanted[] = {
        {u"FileVersion", out->fileVersionText, sizeof out->fileVersionText},
        {u"ProductVersion", out->productVersionText, sizeof out->productVersionText},
        {u"ProductName", out->productName, sizeof out->productName},
        {u"FileDescription", out->fileDescription, sizeof out->fileDescription},
    };
    Block s;
    for (size_t at = table.children; blockAt(data, at, table.end, &s); at = aligned(s.end))
        for (const auto &w : wanted)
            if (s.key == w.key)
                copyText(data, s, w.field, w.size);
}

void readVersion(const uint8_t *data, size_t size, EmuModuleFile *out)
{
    Block root;
    if (!blockAt(data, 0, size, &root) || root.key != u"VS_VERSION_INFO")
        return;
    out->hasVersion = 1;
    if (root.valueBytes >= 52 && le32(data + root.value) == FIXED_SIGNATURE) {
        const uint8_t *f = data + root.value;
        dotted(le32(f + 8), le32(f + 12), out->fileVersion, sizeof out->fileVersion);
        dotted(le32(f + 16), le32(f + 20), out->productVersion, sizeof out->productVersion);
    }
    Block info, table;
    for (size_t at = root.children; blockAt(data, at, root.end, &info); at = aligned(info.end))
        if (info.key == u"StringFileInfo" && blockAt(data, info.children, info.end, &table))
            return readStrings(data, table, out);
}

} // namespace

void readVersionResource(const uint8_t *image, const std::vector<PeResource> &resources, EmuModuleFile *out)
{
    for (const PeResource &r : resources)
        if (r.type.isId && r.type.id == RT_VERSION_ID)
            return readVersion(image + r.offset, r.size, out);
}

} // namespace emu
