// Modules loaded as data files: finding the file of a CE path, loading it, freeing it.
#include "core.h"
#include "pe.h"

#include <dirent.h>

#include <cstdio>
#include <map>
#include <memory>
#include <unordered_map>

namespace emu {
namespace {

// A module file larger than this is refused rather than read into memory.
const size_t maxModuleFileSize = 64u << 20;

struct Module {
    std::vector<uint8_t> image;
    std::vector<PeResource> resources;
    PeHeaders headers;
};

std::unordered_map<const void *, std::unique_ptr<Module>> modules;
std::map<std::string, std::vector<uint8_t>> registeredImages; // by lower-cased CE path
std::map<std::string, std::string> mappedFolders;             // lower-cased CE folder -> host folder

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c + 32) : c;
}

std::string lowered(const std::string &s)
{
    std::string out(s);
    for (char &c : out)
        c = lowerAscii(c);
    return out;
}

// ---- finding the file of a CE path ----

// The host file of a name in a host folder, matching the name without regard to case as the
// device's file system does.
bool hostEntry(const std::string &folder, const std::string &name, std::string *found)
{
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return false;
    std::string want = lowered(name);
    bool ok = false;
    while (dirent *e = readdir(dir)) {
        if (lowered(e->d_name) == want) {
            *found = folder + "/" + e->d_name;
            ok = true;
            break;
        }
    }
    closedir(dir);
    return ok;
}

bool readHostFile(const std::string &path, std::vector<uint8_t> *bytes)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bool ok = fseek(f, 0, SEEK_END) == 0;
    long size = ok ? ftell(f) : -1;
    ok = ok && size >= 0 && (size_t)size <= maxModuleFileSize && fseek(f, 0, SEEK_SET) == 0;
    if (ok) {
        bytes->resize((size_t)size);
        ok = fread(bytes->data(), 1, bytes->size(), f) == bytes->size();
    }
    fclose(f);
    return ok;
}

// "\Windows\x.dll" with backslashes (forward slashes are taken as the same); a bare name is
// looked for in \Windows, where the device keeps its modules.
std::string canonicalPath(const std::string &path)
{
    std::string p(path);
    for (char &c : p)
        if (c == '/')
            c = '\\';
    if (p.find('\\') == std::string::npos)
        p = "\\Windows\\" + p;
    return p;
}

std::vector<std::string> components(const std::string &path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty())
                parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty())
        parts.push_back(part);
    return parts;
}

bool moduleBytes(const std::string &cePath, std::vector<uint8_t> *bytes)
{
    std::string path = canonicalPath(cePath);
    auto registered = registeredImages.find(lowered(path));
    if (registered != registeredImages.end()) {
        *bytes = registered->second;
        return true;
    }
    // The longest mapped folder that holds the path.
    std::string key = lowered(path);
    const std::pair<const std::string, std::string> *best = nullptr;
    for (auto &m : mappedFolders)
        if (key.size() > m.first.size() && key.compare(0, m.first.size(), m.first) == 0 &&
            key[m.first.size()] == '\\' && (!best || m.first.size() > best->first.size()))
            best = &m;
    if (!best)
        return false;
    std::string host = best->second;
    for (const std::string &part : components(path.substr(best->first.size()))) {
        if (part == "." || part == "..")
            return false; // a CE path never leaves the folder it is mapped into
        if (!hostEntry(host, part, &host))
            return false;
    }
    return readHostFile(host, bytes);
}

std::string folderKey(const char *ceFolder)
{
    std::string f = lowered(canonicalPath(ceFolder ? ceFolder : ""));
    while (!f.empty() && f.back() == '\\')
        f.pop_back();
    return f;
}

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
    if (!(flags & LOAD_LIBRARY_AS_DATAFILE)) {
        violation(api, "the emulation loads modules only as data files (LOAD_LIBRARY_AS_DATAFILE)");
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto module = std::make_unique<Module>();
    if (!moduleBytes(utf8(name), &module->image)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
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
    registeredImages.clear();
    mappedFolders.clear();
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

void emuMapFolder(const char *ceFolder, const char *hostFolder)
{
    std::string key = folderKey(ceFolder);
    if (hostFolder)
        mappedFolders[key] = hostFolder;
    else
        mappedFolders.erase(key);
}

void emuRegisterModule(const char *cePath, const void *bytes, size_t size)
{
    if (!cePath || (!bytes && size))
        return;
    const uint8_t *b = static_cast<const uint8_t *>(bytes);
    registeredImages[lowered(canonicalPath(cePath))] = std::vector<uint8_t>(b, b + size);
}

void emuUnregisterModule(const char *cePath)
{
    if (cePath)
        registeredImages.erase(lowered(canonicalPath(cePath)));
}

} // extern "C"
