// The loader of images of code: maps a planned image at its place, moves it by its relocations,
// binds its imports to the platform's functions, protects its pages and runs its entry point.
#include "modules/modules.h"

#include "peformat.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace emu {
namespace {

int mappedImages = 0;

// The machine types of code this process can run: ARM and Thumb images where the emulation is
// built for ARM; none elsewhere.
bool runsHere(uint16_t machine)
{
#if defined(__arm__)
    return machine == IMAGE_FILE_MACHINE_ARM || machine == IMAGE_FILE_MACHINE_THUMB;
#else
    (void)machine;
    return false;
#endif
}

const char *processorName()
{
#if defined(__arm__)
    return "ARM";
#elif defined(__x86_64__)
    return "x86-64";
#else
    return "this processor";
#endif
}

std::string hex(uint32_t value, int digits)
{
    char text[16];
    snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

std::string importName(const PeImport &import)
{
    return import.module + "!" + (import.name.empty() ? "#" + std::to_string(import.ordinal) : import.name);
}

bool refuse(DWORD code, const std::string &why, DWORD *error, std::string *problem)
{
    *error = code;
    *problem = why;
    return false;
}

// The address of every import, in the plan's order; false naming the first the platform lacks.
bool bindImports(const PeImagePlan &plan, std::vector<uint32_t> *addresses, DWORD *error, std::string *problem)
{
    for (const PeImport &import : plan.imports) {
        void *function = platformExport(import);
        if (!function)
            return refuse(ERROR_BAD_EXE_FORMAT,
                          "imports " + importName(import) + ", which the platform does not provide", error, problem);
        addresses->push_back((uint32_t)(uintptr_t)function);
    }
    return true;
}

// Each page gets what its sections allow: code is read and executed, data read and perhaps
// written; a page shared by code and writable data (only where sections are not page-aligned)
// is the one kind that gets both.
void protectPages(const PeImagePlan &plan, uint8_t *base, size_t length, size_t page)
{
    for (size_t at = 0; at < length; at += page) {
        int protection = PROT_READ;
        for (const PeMappedSection &s : plan.sections) {
            if (s.rva >= at + page || (uint64_t)s.rva + s.size <= at)
                continue;
            protection |= (s.execute ? PROT_EXEC : 0) | (s.write ? PROT_WRITE : 0);
        }
        mprotect(base + at, page, protection);
    }
}

} // namespace

MappedImage::~MappedImage()
{
    if (base) {
        munmap(base, length);
        --mappedImages;
    }
}

std::unique_ptr<MappedImage> mapImage(const uint8_t *data, size_t size, DWORD *error, std::string *problem)
{
    PeImagePlan plan;
    std::string why;
    if (!planPeImage(data, size, &plan, &why)) {
        refuse(ERROR_BAD_EXE_FORMAT, "not an image the loader maps: " + why, error, problem);
        return nullptr;
    }
    if (!runsHere(plan.machine)) {
        refuse(ERROR_BAD_EXE_FORMAT,
               "machine type " + hex(plan.machine, 4) + " is not the processor the emulation runs on (" +
                   processorName() + ")",
               error, problem);
        return nullptr;
    }
    std::vector<uint32_t> addresses;
    if (!bindImports(plan, &addresses, error, problem))
        return nullptr;

    size_t page = (size_t)sysconf(_SC_PAGESIZE);
    size_t length = (plan.imageSize + page - 1) / page * page;
    void *hint = reinterpret_cast<void *>((uintptr_t)plan.imageBase);
    void *at = mmap(hint, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (at == MAP_FAILED) {
        refuse(ERROR_OUTOFMEMORY, "no address space for " + std::to_string(length) + " bytes", error, problem);
        return nullptr;
    }
    auto image = std::make_unique<MappedImage>();
    image->base = static_cast<uint8_t *>(at);
    image->length = length;
    image->entryPoint = plan.entryPoint;
    image->exports = plan.exports;
    ++mappedImages;
    if (at != hint && !plan.relocatable) {
        refuse(ERROR_OUTOFMEMORY, "its base " + hex(plan.imageBase, 8) + " is taken and it has no relocations", error,
               problem);
        return nullptr;
    }

    std::memcpy(image->base, plan.image.data(), plan.image.size());
    // Every planned RVA lies inside the image, so these writes stay in its pages.
    uint32_t delta = (uint32_t)((uintptr_t)at - plan.imageBase);
    for (uint32_t rva : plan.relocations) {
        uint32_t value;
        std::memcpy(&value, image->base + rva, 4);
        value += delta;
        std::memcpy(image->base + rva, &value, 4);
    }
    for (size_t i = 0; i < plan.imports.size(); ++i)
        std::memcpy(image->base + plan.imports[i].slot, &addresses[i], 4);

    protectPages(plan, image->base, length, page);
    __builtin___clear_cache(reinterpret_cast<char *>(image->base), reinterpret_cast<char *>(image->base + length));
    return image;
}

BOOL callEntryPoint(const MappedImage &image, HMODULE module, DWORD reason)
{
    if (!image.entryPoint)
        return TRUE;
    typedef BOOL (*DllEntry)(HANDLE, DWORD, LPVOID);
    DllEntry entry = reinterpret_cast<DllEntry>(image.base + image.entryPoint);
    return entry(module, reason, nullptr);
}

void *exportAddress(const MappedImage &image, const char *name, uint32_t ordinal)
{
    for (const PeExport &e : image.exports)
        if (name ? e.name == name : e.ordinal == ordinal)
            return image.base + e.rva;
    return nullptr;
}

} // namespace emu

// Images of code mapped now.
extern "C" int emuMappedImages(void)
{
    return emu::mappedImages;
}
