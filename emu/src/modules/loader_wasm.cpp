// The loader of images of code in WebAssembly, which runs only the code it was linked with: an
// image is planned, so that a malformed one is refused for what is wrong with it, and then refused
// as code of another processor. The program's own modules of code are linked ones (emuLinkModule).
#include "modules/modules.h"

namespace emu {

MappedImage::~MappedImage() = default;

std::unique_ptr<MappedImage> mapImage(const uint8_t *data, size_t size, DWORD *error, std::string *problem)
{
    PeImagePlan plan;
    std::string why;
    *error = ERROR_BAD_EXE_FORMAT;
    if (!planPeImage(data, size, &plan, &why))
        *problem = "not an image the loader maps: " + why;
    else
        *problem = "WebAssembly runs no image of code, only the modules linked into the program";
    return nullptr;
}

// No image is ever mapped, so neither is ever asked.
BOOL callEntryPoint(const MappedImage &, HMODULE, DWORD)
{
    return FALSE;
}

void *exportAddress(const MappedImage &, const char *, uint32_t)
{
    return nullptr;
}

} // namespace emu

extern "C" int emuMappedImages(void)
{
    return 0;
}
