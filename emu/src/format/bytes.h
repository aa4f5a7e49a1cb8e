// Little-endian fields of file images, read and written, and failing with a reason: for the
// emulation's decoders and for the tools that write and check the device's files.
#ifndef EMU_BYTES_H
#define EMU_BYTES_H

#include <cstdint>
#include <string>
#include <vector>

namespace emu {

inline uint32_t le32(const uint8_t *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24);
}

inline uint16_t le16(const uint8_t *p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
}

// put* overwrites the bytes at an offset, append* adds them at the end.
inline void put16(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    b[at] = (uint8_t)v;
    b[at + 1] = (uint8_t)(v >> 8);
}

inline void put32(std::vector<uint8_t> &b, size_t at, uint32_t v)
{
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}

inline void append16(std::vector<uint8_t> &b, uint32_t v)
{
    b.push_back((uint8_t)v);
    b.push_back((uint8_t)(v >> 8));
}

inline void append32(std::vector<uint8_t> &b, uint32_t v)
{
    append16(b, v & 0xFFFF);
    append16(b, v >> 16);
}

// Records why a decode failed, when the caller asked; always false.
inline bool fail(std::string *why, const char *reason)
{
    if (why)
        *why = reason;
    return false;
}

} // namespace emu

#endif // EMU_BYTES_H
