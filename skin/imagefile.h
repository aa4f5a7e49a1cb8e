// The image files a skin stores its faces and popups in: indexed PNG, GIF and .bmp files.
#ifndef KWENO_SKIN_IMAGEFILE_H
#define KWENO_SKIN_IMAGEFILE_H

#include <cstdint>
#include <string>
#include <vector>

#include "palette.h"

namespace skin {

// How the generator stores faces and popups. The device's shell loader reads only image files
// under the resource type "GIF" (PNG, GIF, BMP); BITMAP keeps them as RT_BITMAP, which the device
// cannot show, and is there to make such a module on purpose.
enum StoredFormat { STORED_PNG, STORED_GIF, STORED_BMP, STORED_BITMAP };

// "png", "gif", "bmp", "bitmap"; false for any other name.
bool storedFormatFromName(const std::string &name, StoredFormat *format);
// The format's name, as storedFormatFromName reads it.
const char *storedFormatName(StoredFormat format);
// Every name storedFormatFromName knows, in that order.
std::vector<std::string> storedFormatNames();
// The file name extension of the format's files.
const char *storedFormatExtension(StoredFormat format);

// A palette PNG at the fewest bits per pixel that hold the palette, compressed as hard as zlib can.
std::vector<uint8_t> encodePng(const Indexed &image);

// The picture in the chosen format (a .bmp file for STORED_BMP, a packed DIB for STORED_BITMAP).
std::vector<uint8_t> encodeStored(const Indexed &image, StoredFormat format);

} // namespace skin

#endif // KWENO_SKIN_IMAGEFILE_H
