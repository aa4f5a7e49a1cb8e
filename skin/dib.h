// Device-independent bitmaps as the platform's bitmap loader reads them from a resource.
#ifndef KWENO_SKIN_DIB_H
#define KWENO_SKIN_DIB_H

#include <cstdint>
#include <vector>

#include "palette.h"

namespace skin {

// The body of an RT_BITMAP resource: a BITMAPINFOHEADER, the colour table, then the rows from the
// bottom up, each padded to four bytes. bitsPerPixel is 1, 4 or 8 and must hold the palette.
std::vector<uint8_t> encodeDib(const Indexed &image, int bitsPerPixel);

// The same with the 14-byte file header in front, as a .bmp file for the resource compiler.
std::vector<uint8_t> bmpFile(const std::vector<uint8_t> &dib);

// The smaller of 4 and 8 bits that holds a palette of this many colours.
int bitsForColours(size_t colours);

} // namespace skin

#endif // KWENO_SKIN_DIB_H
