// Fuzz target for the PE reader (resources, and the plan of an image of code: its layout,
// relocations, imports and exports), the bitmap decoders and the image file decoders (PNG, GIF,
// JPEG, BMP), directly and through the loaders.
#include <aygshell.h>
#include <windows.h>

#include <cstdlib>

#include "emu.h"
#include "images/imagefile.h"
#include "pe/pe.h"

namespace {

// Every resource the reader indexes must lie inside the input; anything else is a reader bug.
void checkBounds(const std::vector<emu::PeResource> &resources, size_t size)
{
    for (const emu::PeResource &r : resources)
        if (r.offset > size || r.size > size - r.offset)
            abort();
}

// Every place a plan lets the loader write or jump to must lie inside the image.
void checkPlan(const emu::PeImagePlan &plan)
{
    size_t size = plan.image.size();
    if (size != plan.imageSize || plan.entryPoint >= size)
        abort();
    for (uint32_t rva : plan.relocations)
        if (rva > size || size - rva < 4)
            abort();
    for (const emu::PeImport &i : plan.imports)
        if (i.slot > size || size - i.slot < 4)
            abort();
    for (const emu::PeExport &e : plan.exports)
        if (e.rva >= size)
            abort();
}

void decodeEverything(const uint8_t *data, size_t size)
{
    emu::Picture picture;
    emu::decodePackedDib(data, size, &picture, nullptr);
    emu::decodeBmpFile(data, size, &picture, nullptr);
    emu::ImageFileInfo info;
    emu::decodeImageFile(data, size, &picture, &info);
}

// The same bytes as a module: load it and ask both loaders for the first resources it names.
void loadThroughThePlatform(const uint8_t *data, size_t size, const std::vector<emu::PeResource> &resources)
{
    emuReset();
    emuRegisterModule("\\Windows\\fuzz.dll", data, size);
    HMODULE m = LoadLibraryExW(L"\\Windows\\fuzz.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!m)
        abort(); // the reader accepted these bytes a moment ago
    size_t asked = 0;
    for (const emu::PeResource &r : resources) {
        if (!r.name.isId || ++asked > 16)
            continue;
        if (HBITMAP b = LoadBitmapW(m, MAKEINTRESOURCEW(r.name.id)))
            DeleteObject(b);
        if (HBITMAP b = SHLoadImageResource(m, r.name.id))
            DeleteObject(b);
        EmuImageResource found;
        emuInspectImageResource(m, r.name.id, &found);
    }
    FreeLibrary(m);
    // As code: planned, and refused here (no code of this processor) with nothing left mapped.
    if (LoadLibraryW(L"\\Windows\\fuzz.dll"))
        abort();
    if (emuLiveCount(EMU_BITMAP) || emuLiveCount(EMU_MODULE) || emuMappedImages() || emuViolationCount())
        abort(); // the loaders must neither leak nor misuse their own handles
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    decodeEverything(data, size);
    emu::PeImagePlan plan;
    if (emu::planPeImage(data, size, &plan, nullptr))
        checkPlan(plan);
    std::vector<emu::PeResource> resources;
    if (emu::readPeResources(data, size, &resources, nullptr)) {
        checkBounds(resources, size);
        for (const emu::PeResource &r : resources)
            decodeEverything(data + r.offset, r.size);
        loadThroughThePlatform(data, size, resources);
    }
    return 0;
}
