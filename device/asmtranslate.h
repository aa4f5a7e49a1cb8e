// Rewrites the ARM assembly that GCC writes for an ELF assembler into what the PE/COFF assembler of
// the device's binutils (arm-mingw32ce) accepts. Instructions are the same for both; directives and
// sections differ. Only what GCC writes for the panel's sources is translated: anything else stops
// the translation with its line, so that nothing the device cannot honour slips through.
#ifndef KWENO_DEVICE_ASMTRANSLATE_H
#define KWENO_DEVICE_ASMTRANSLATE_H

#include <string>

namespace asmpe {

struct Translation {
    bool ok = false;
    std::string text;   // the PE/COFF assembly, when ok
    int line = 0;       // the first line that could not be translated (1-based), when not ok
    std::string reason; // why not
};

Translation translate(const std::string &elfAssembly);

} // namespace asmpe

#endif // KWENO_DEVICE_ASMTRANSLATE_H
