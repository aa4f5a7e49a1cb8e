// Modules loaded as data files from the device's files (files.cpp): loading, freeing, their resources.
#include "core.h"
#include "files.h"
#include "pe.h"

#include <memory>
#include <unordered_map>

namespace emu {
namespace {

struct Module {
    std::vector<uint8_t> image;
    std::vector<PeResource> resources;
    PeHeaders headers;
};

std::unordered_map<const void *, std::unique_ptr<Module>> modules;

HMODULE loadModule(LPCWSTR name, HANDLE file, DWORD flags, const char *api)
{
    if (!name) {
        violation(api, "null module name");
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (file) {
        violation(api, "hFile is reserved and must be null");
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A missing file fails as on the device, whatever the load was for.
    auto module = std::make_unique<Module>();
    if (!readDeviceFile(utf8(name), &module->image)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    if (!(flags & LOAD_LIBRARY_AS_DATAFILE)) {
        violation(api, "the emulation loads modules only as data files (LOAD_LIBRARY_AS_DATAFILE)");
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    std::string why;
    if (!readPeResources(module->image.data(), module->image.size(), &module->resources, &why, &module->headers)) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return nullptr;
    }
    HMODULE h = static_cast<HMODULE>(newHandle(EMU_MODULE, module.get()));
    modules[h] = std::move(module);
    return h;
}

} // namespace

bool findResource(HMODULE module, const ResourceName &type, const ResourceName &name, const char *api,
                  const uint8_t **data, size_t *size)
{
    Module *m = static_cast<Module *>(lookup(module, EMU_MODULE, api));
    if (!m)
        return false;
    for (const PeResource &r : m->resources) {
        if (r.type == type && r.name == name) {
            *data = m->image.data() + r.offset;
            *size = r.size;
            return true;
        }
    }
    return false;
}

bool resourceCutOff(HMODULE module, const ResourceName &type, const ResourceName &name, const char *api)
{
    Module *m = static_cast<Module *>(lookup(module, EMU_MODULE, api));
    if (!m)
        return false;
    for (const PeResource &r : m->headers.cutOff)
        if (r.type == type && r.name == name)
            return true;
    return false;
}

std::vector<FoundResource> resourcesWithId(HMODULE module, WORD id, const char *api)
{
    std::vector<FoundResource> found;
    Module *m = static_cast<Module *>(lookup(module, EMU_MODULE, api));
    if (!m)
        return found;
    for (const PeResource &r : m->resources)
        if (r.name.isId && r.name.id == id)
            found.push_back(FoundResource{r.type, m->image.data() + r.offset, r.size});
    return found;
}

void resetModules()
{
    modules.clear();
    resetImageLists();
}

} // namespace emu

using namespace emu;

extern "C" {

HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags)
{
    if (failNow("LoadLibraryExW")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return loadModule(lpLibFileName, hFile, dwFlags, "LoadLibraryExW");
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName)
{
    if (failNow("LoadLibraryW")) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return loadModule(lpLibFileName, nullptr, 0, "LoadLibraryW");
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule)
{
    if (failNow("FreeLibrary"))
        return FALSE;
    if (!lookup(hLibModule, EMU_MODULE, "FreeLibrary"))
        return FALSE;
    freeHandle(hLibModule);
    modules.erase(hLibModule);
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    (void)lpProcName;
    if (failNow("GetProcAddress"))
        return nullptr;
    if (!lookup(hModule, EMU_MODULE, "GetProcAddress"))
        return nullptr;
    // A data file has no code to call.
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

} // extern "C"
