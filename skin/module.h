// The device's resource module made from pictures: the one way every module of the project is made.
#ifndef KWENO_SKIN_MODULE_H
#define KWENO_SKIN_MODULE_H

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue.h"
#include "imagefile.h"
#include "palette.h"

namespace skin {

// One picture as the module stores it: an image file under the type "GIF", or a bitmap resource.
struct StoredPicture {
    LONG id;
    bool bitmap;      // RT_BITMAP: the icons always, faces and popups only for STORED_BITMAP
    std::string file; // the name it is written under for the resource compiler
    std::vector<uint8_t> data;
};

// The picture of the entry in the format chosen; the icons, which the panel reads through
// LoadBitmapW, are always bitmap resources. Empty data if it cannot be encoded.
StoredPicture storePicture(const ImageEntry &entry, const Indexed &indexed, StoredFormat format);

// The resource script of the module's version resource, saying VERSION (major.minor.patch), in the
// form the panel DLLs' is written in.
std::string versionScript(const std::string &version);

// Links the pictures and the version resource into a resource-only module for the device, with the
// mingw-w64 resource compiler and linker (no C compiler: the script is read without a
// preprocessor), and marks it as made for the device. Empty on success, else what went wrong.
std::string linkModule(const std::vector<StoredPicture> &pictures, const std::string &version,
                       std::vector<uint8_t> *module);

// Marks a linked module as the device's: machine type ARM. Empty on success, else why not.
std::string markForDevice(std::vector<uint8_t> &module);

} // namespace skin

#endif // KWENO_SKIN_MODULE_H
