// Modules: the loaded modules and their resources, which the image loaders read; images of code
// of the emulation's own processor, mapped and run; the platform functions their imports bind to.
#ifndef EMU_MODULES_H
#define EMU_MODULES_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <windows.h>

#include "pe/pe.h"

namespace emu {

// ---- loaded modules (module.cpp) ----

// The bytes of a resource of a loaded module; false (with a violation for a bad handle) when the
// module or resource does not exist. The bytes stay valid until the module is freed.
bool findResource(HMODULE module, const ResourceName &type, const ResourceName &name, const char *api,
                  const uint8_t **data, size_t *size);

// Whether the file of a loaded module ends inside the data of that resource.
bool resourceCutOff(HMODULE module, const ResourceName &type, const ResourceName &name, const char *api);

// ---- mapping (loader.cpp) ----

// An image mapped at its place, its imports bound and its pages protected; unmapped when destroyed.
struct MappedImage {
    uint8_t *base = nullptr;
    size_t length = 0;
    uint32_t entryPoint = 0; // RVA; 0 for none
    std::vector<PeExport> exports;
    MappedImage() = default;
    MappedImage(const MappedImage &) = delete;
    MappedImage &operator=(const MappedImage &) = delete;
    ~MappedImage();
};

// Plans, binds and maps an image. Null on failure, with the error the device's loader gives and
// a sentence naming what was wrong (the import missing, the machine type, the malformed part);
// nothing stays mapped then.
std::unique_ptr<MappedImage> mapImage(const uint8_t *data, size_t size, DWORD *error, std::string *problem);

// Calls the entry point with the reason; what it returned (TRUE for an image without one).
BOOL callEntryPoint(const MappedImage &image, HMODULE module, DWORD reason);

// The address of an export by name, or by ordinal when name is null; null when there is none.
void *exportAddress(const MappedImage &image, const char *name, uint32_t ordinal);

// ---- the platform's exports (exports.cpp) ----

// The emulation's function that an import names (module by name in any case, function by name or
// by ordinal), or null when the emulation does not provide it.
void *platformExport(const PeImport &import);

} // namespace emu

#endif // EMU_MODULES_H
