// Packs a folder of PNG files, as the previewer writes them and a designer edits them, into the
// device's resource module.
#ifndef KWENO_SKIN_PACK_H
#define KWENO_SKIN_PACK_H

#include <string>
#include <vector>

#include "imagefile.h"

namespace skin {

struct PackResult {
    // One line per picture the device would not show as drawn; nothing is written while there are any.
    std::vector<std::string> refusals;
    // What is written but shown otherwise: colours the 16-bit display changes, files no picture uses.
    std::vector<std::string> warnings;
    std::vector<uint8_t> module; // the module, when nothing was refused
    bool ok() const { return refusals.empty(); }
};

// Reads FOLDER/<name>.png for every picture of the catalogue and packs them with at most 2^bits
// colours each, faces and popups in the format given, with a version resource saying VERSION, then
// checks the module as the panel reads it.
PackResult packFolder(const std::string &folder, StoredFormat format, int bits,
                      const std::string &version = KWENO_VERSION);

} // namespace skin

#endif // KWENO_SKIN_PACK_H
