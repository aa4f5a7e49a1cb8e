// Builds resource-only PE images and DIBs in memory, for tests that need a resource module.
#ifndef KWENO_TESTS_RESMODULE_H
#define KWENO_TESTS_RESMODULE_H

#include <cstdint>
#include <functional>
#include <vector>

namespace testsupport {

typedef std::vector<uint8_t> Bytes;

struct Resource {
    unsigned type; // e.g. 2 for RT_BITMAP
    unsigned id;
    Bytes data;
};

// A resource-only 32-bit PE DLL holding the resources (no code, no entry point).
Bytes buildResourceModule(const std::vector<Resource> &resources);

// A 24-bit bottom-up DIB (BITMAPINFOHEADER + pixels, as an RT_BITMAP resource holds it).
// pixel(x, y) gives 0x00RRGGBB.
Bytes dib24(int width, int height, const std::function<uint32_t(int, int)> &pixel);

} // namespace testsupport

#endif // KWENO_TESTS_RESMODULE_H
