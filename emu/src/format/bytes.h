// Little-endian fields of file images, and failing with a reason: for the emulation's decoders and
// for the tools that write and check the device's modules.
#ifndef EMU_BYTES_H
#define EMU_BYTES_H

#include <cstdint>
#include <string>

namespace emu {

inline uint32_t le32(const uint8_t *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | ((uint32_t)p[3] << 24);
}

inline uint16_t le16(const uint8_t *p)
{
    return (uint16_t)(p[0] | (p[1] << 8));
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
