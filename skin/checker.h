// Checks any resource module for the pictures the panel asks for, through the platform emulation.
#ifndef KWENO_SKIN_CHECKER_H
#define KWENO_SKIN_CHECKER_H

#include <string>
#include <vector>

#include "catalogue.h"

namespace skin {

struct CheckResult {
    int checked = 0;                 // pictures asked for
    std::vector<std::string> faults; // one line each: "0x1001 lower portrait face, day: missing"
    bool ok() const { return faults.empty(); }
};

// Loads the module as the panel does (as a data file, pictures through the shell's image loader,
// the icon through LoadBitmapW) and checks every picture the given variants need: present,
// decodable, of the right size. Files that are no module, or are cut short, are reported, not trusted.
CheckResult checkModule(const std::string &path, const std::vector<Variant> &variants);
// The same for a module's bytes, named in the faults by name.
CheckResult checkModuleBytes(const std::vector<uint8_t> &bytes, const std::string &name,
                             const std::vector<Variant> &variants);

// Writes a PNG of every picture of the module into the folder, named for a designer to find
// (face-lower-portrait-day.png, popup-0x2060-night.png, icon-day.png). Returns one line per picture
// that could not be written.
std::vector<std::string> previewModule(const std::string &path, const std::string &folder);

} // namespace skin

#endif // KWENO_SKIN_CHECKER_H
