// Modules from the device's files (files.cpp): loading them as data files or as code, freeing them,
// their resources and exports; and modules of code linked into the program.
#include "modules/modules.h"

#include "core/core.h"
#include "core/files.h"

#include <memory>
#include <unordered_map>

namespace emu {
namespace {

// A module of code that the program was linked with (emuLinkModule).
struct LinkedModule {
    EmuEntryPoint entryPoint;
    std::vector<std::pair<std::string, FARPROC>> exports;
};

struct Module {
    std::vector<uint8_t> image; // the file
    std::vector<PeResource> resources;
    PeHeaders headers;
    // Loaded as code: the mapped image or the linked module, the module's name and the loads it counts.
    std::unique_ptr<MappedImage> code;
    const LinkedModule *linked = nullptr;
    std::string name;
    int references = 0;
    // The device file it was loaded from, which it holds while loaded (none for a linked module).
    std::string file;
    bool isCode() const { return code || linked; }
    void hold(const std::string &path)
    {
        file = path;
        holdDeviceFile(file);
    }
    ~Module()
    {
        if (!file.empty())
            releaseDeviceFile(file);
    }
};

std::unordered_map<const void *, std::unique_ptr<Module>> modules;
std::string lastLoadProblem;
// By module name; kept across resets.
std::unordered_map<std::string, LinkedModule> linkedModules;

// The name a module of code goes by: its file name without folder or extension, in lower case.
// The device keeps one module of a name, so "\\Windows\\a.dll" and "\\Other\\A.cpl" are one.
std::string moduleName(const std::string &cePath)
{
    std::string name = lowered(cePath.substr(cePath.find_last_of("\\/") + 1));
    return name.substr(0, name.find('.'));
}

HMODULE failLoad(DWORD error, const std::string &problem)
{
    lastLoadProblem = problem;
    SetLastError(error);
    return nullptr;
}

BOOL enter(const Module &module, HMODULE handle, DWORD reason)
{
    if (module.linked)
        return module.linked->entryPoint ? module.linked->entryPoint(handle, reason, nullptr) : TRUE;
    return callEntryPoint(*module.code, handle, reason);
}

// The module of code of that name already loaded, if any; it counts one more load.
HMODULE loadedAgain(const std::string &name)
{
    for (auto &m : modules) {
        if (m.second->isCode() && m.second->name == name) {
            ++m.second->references;
            return static_cast<HMODULE>(const_cast<void *>(m.first));
        }
    }
    return nullptr;
}

// A second load of a module of code counts a reference; the first maps it (unless it is linked
// into the program) and runs its entry point.
HMODULE loadCode(std::unique_ptr<Module> module, const std::string &path)
{
    module->name = moduleName(path);
    if (HMODULE again = loadedAgain(module->name))
        return again;
    if (!module->linked) {
        DWORD error = 0;
        std::string problem;
        module->code = mapImage(module->image.data(), module->image.size(), &error, &problem);
        if (!module->code)
            return failLoad(error, path + ": " + problem);
    }
    module->references = 1;
    if (!module->linked)
        module->hold(path);
    Module *m = module.get();
    HMODULE h = static_cast<HMODULE>(newHandle(EMU_MODULE, m));
    modules[h] = std::move(module);
    if (!enter(*m, h, DLL_PROCESS_ATTACH)) {
        freeHandle(h);
        modules.erase(h);
        return failLoad(ERROR_DLL_INIT_FAILED, path + ": its entry point refused DLL_PROCESS_ATTACH");
    }
    return h;
}

HMODULE loadModule(LPCWSTR name, HANDLE file, DWORD flags, const char *api)
{
    lastLoadProblem.clear();
    if (!name)
        return misuse(api, "null module name", failLoad(ERROR_INVALID_PARAMETER, "null module name"));
    if (file)
        return misuse(api, "hFile is reserved and must be null",
                      failLoad(ERROR_INVALID_PARAMETER, "hFile is not null"));
    if (flags & ~(DWORD)LOAD_LIBRARY_AS_DATAFILE)
        return misuse(api, "flags other than LOAD_LIBRARY_AS_DATAFILE",
                      failLoad(ERROR_INVALID_PARAMETER, "flags other than LOAD_LIBRARY_AS_DATAFILE"));
    std::string path = utf8(name);
    auto module = std::make_unique<Module>();
    auto linked = linkedModules.find(moduleName(path));
    if (!(flags & LOAD_LIBRARY_AS_DATAFILE) && linked != linkedModules.end()) {
        module->linked = &linked->second;
        return loadCode(std::move(module), path);
    }
    if (!readDeviceFile(path, &module->image))
        return failLoad(ERROR_MOD_NOT_FOUND, path + ": no such file");
    std::string why;
    if (!readPeResources(module->image.data(), module->image.size(), &module->resources, &why, &module->headers))
        return failLoad(ERROR_BAD_EXE_FORMAT, path + ": " + why);
    if (!(flags & LOAD_LIBRARY_AS_DATAFILE))
        return loadCode(std::move(module), path);
    module->hold(path);
    HMODULE h = static_cast<HMODULE>(newHandle(EMU_MODULE, module.get()));
    modules[h] = std::move(module);
    return h;
}

// The address of an export of a module of code, by name or by ordinal (name null); null, with
// the error, for a data file or an export it does not have.
FARPROC procAddress(HMODULE module, const char *name, uint32_t ordinal, const char *api)
{
    Module *m = static_cast<Module *>(lookup(module, EMU_MODULE, api));
    if (!m)
        return nullptr;
    void *found = m->code ? exportAddress(*m->code, name, ordinal) : nullptr;
    if (m->linked && name) {
        for (const auto &e : m->linked->exports)
            if (e.first == name)
                found = reinterpret_cast<void *>(e.second);
    }
    if (!found)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return reinterpret_cast<FARPROC>(found);
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

// The modules room's part of emuReset. Modules of code are unmapped without their detach
// notification, as the rest is dropped.
static void resetModules()
{
    modules.clear();
    lastLoadProblem.clear();
}
const RoomReset modulesRoomReset(resetModules);

} // namespace emu

using namespace emu;

extern "C" {

HMODULE WINAPI LoadLibraryExW(LPCWSTR lpLibFileName, HANDLE hFile, DWORD dwFlags)
{
    if (failNow(__func__))
        return failLoad(ERROR_NOT_ENOUGH_MEMORY, "failure injected");
    return loadModule(lpLibFileName, hFile, dwFlags, __func__);
}

HMODULE WINAPI LoadLibraryW(LPCWSTR lpLibFileName)
{
    if (failNow(__func__))
        return failLoad(ERROR_NOT_ENOUGH_MEMORY, "failure injected");
    return loadModule(lpLibFileName, nullptr, 0, __func__);
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule)
{
    Module *m = failNow(__func__) ? nullptr : static_cast<Module *>(lookup(hLibModule, EMU_MODULE, __func__));
    if (!m)
        return FALSE;
    // A module of code goes at its last free, after its detach notification.
    if (m->isCode() && --m->references > 0)
        return TRUE;
    if (m->isCode())
        enter(*m, hLibModule, DLL_PROCESS_DETACH);
    freeHandle(hLibModule);
    modules.erase(hLibModule);
    return TRUE;
}

FARPROC WINAPI GetProcAddressW(HMODULE hModule, LPCWSTR lpProcName)
{
    if (failNow(__func__))
        return nullptr;
    if (IS_INTRESOURCE(lpProcName))
        return procAddress(hModule, nullptr, LOWORD(lpProcName), __func__);
    std::string name = utf8(lpProcName);
    return procAddress(hModule, name.c_str(), 0, __func__);
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName)
{
    if (failNow(__func__))
        return nullptr;
    if (IS_INTRESOURCE(lpProcName))
        return procAddress(hModule, nullptr, LOWORD(lpProcName), __func__);
    return procAddress(hModule, lpProcName, 0, __func__);
}

void emuLinkModule(const char *fileName, EmuEntryPoint entryPoint, const EmuLinkedExport *exports)
{
    LinkedModule &linked = linkedModules[moduleName(fileName ? fileName : "")];
    linked.entryPoint = entryPoint;
    linked.exports.clear();
    for (const EmuLinkedExport *e = exports; e && e->name; ++e)
        linked.exports.emplace_back(e->name, e->address);
}

const char *emuLastLoadProblem(void)
{
    return lastLoadProblem.c_str();
}

} // extern "C"
