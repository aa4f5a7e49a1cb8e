// Loading a deliverable: LoadLibraryW on Windows and for the device's DLLs on the emulation, dlopen
// for ELF builds, and the unload rule.
#include "module.h"

#include "textfield.h"

#if defined(_WIN32)
#else
#include <dlfcn.h>

#include <cstdio>
#include <vector>

#include <emu.h>
#endif

#if defined(_WIN32)

static void *openModule(const std::string &path, bool *platform, std::string *error)
{
    *platform = true;
    std::u16string wide = utf16FromUtf8(path);
    HMODULE module = LoadLibraryW(reinterpret_cast<LPCWSTR>(wide.c_str()));
    if (!module)
        *error = "LoadLibraryW failed with error " + std::to_string(GetLastError());
    return reinterpret_cast<void *>(module);
}

static void *findExport(void *module, bool, const char *name)
{
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

static void closeModule(void *module, bool)
{
    FreeLibrary(static_cast<HMODULE>(module));
}

#else

// The device's DLLs (PE files) are loaded by the emulation's own loader, as the device's host
// loads them; ELF builds of the panel by the dynamic linker. A CE path ("\Windows\kweno.dll")
// names a module of the emulated device; a host path to a PE file puts the file in the device's
// \Windows first, where its installer puts it.
static bool isPeFile(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char magic[2] = {0, 0};
    bool pe = fread(magic, 1, 2, f) == 2 && magic[0] == 'M' && magic[1] == 'Z';
    fclose(f);
    return pe;
}

static bool readWhole(const std::string &path, std::vector<char> *bytes)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        bytes->insert(bytes->end(), buffer, buffer + n);
    fclose(f);
    return true;
}

static void *openPlatformModule(const std::string &cePath, std::string *error)
{
    std::u16string wide = utf16FromUtf8(cePath);
    HMODULE module = LoadLibraryW(reinterpret_cast<LPCWSTR>(wide.c_str()));
    if (!module)
        *error = "LoadLibraryW failed with error " + std::to_string(GetLastError()) + ": " + emuLastLoadProblem();
    return module;
}

static void *openModule(const std::string &path, bool *platform, std::string *error)
{
    *platform = !path.empty() && path[0] == '\\';
    if (*platform)
        return openPlatformModule(path, error);
    if (isPeFile(path)) {
        *platform = true;
        std::vector<char> bytes;
        if (!readWhole(path, &bytes)) {
            *error = "cannot read " + path;
            return nullptr;
        }
        std::string cePath = "\\Windows\\" + path.substr(path.find_last_of('/') + 1);
        emuRegisterModule(cePath.c_str(), bytes.data(), bytes.size());
        return openPlatformModule(cePath, error);
    }
    // RTLD_LOCAL: each deliverable keeps its own exports, as two DLLs do on the device.
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char *why = dlerror();
        *error = why ? why : "dlopen failed";
    }
    return module;
}

static void *findExport(void *module, bool platform, const char *name)
{
    if (platform) {
        std::u16string wide = utf16FromUtf8(name);
        return reinterpret_cast<void *>(
            GetProcAddressW(static_cast<HMODULE>(module), reinterpret_cast<LPCWSTR>(wide.c_str())));
    }
    return dlsym(module, name);
}

static void closeModule(void *module, bool platform)
{
    if (platform)
        FreeLibrary(static_cast<HMODULE>(module));
    else
        dlclose(module);
}

#endif

PanelModule::~PanelModule()
{
    if (handle_)
        unload();
}

bool PanelModule::load(const std::string &path)
{
    if (handle_) {
        error_ = "a module is already loaded";
        return false;
    }
    error_.clear();
    path_ = path;
    void *handle = openModule(path, &platform_, &error_);
    if (!handle)
        return false;
    getClassObject_ = reinterpret_cast<DllGetClassObjectProc>(findExport(handle, platform_, "DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<DllCanUnloadNowProc>(findExport(handle, platform_, "DllCanUnloadNow"));
    if (!getClassObject_ || !canUnloadNow_) {
        error_ = std::string(path) + " does not export " + (!getClassObject_ ? "DllGetClassObject" : "DllCanUnloadNow");
        getClassObject_ = nullptr;
        canUnloadNow_ = nullptr;
        closeModule(handle, platform_);
        return false;
    }
    handle_ = handle;
    return true;
}

HRESULT PanelModule::getClassObject(REFCLSID rclsid, REFIID riid, void **ppv)
{
    if (!getClassObject_)
        return E_FAIL;
    return getClassObject_(rclsid, riid, ppv);
}

HRESULT PanelModule::canUnloadNow()
{
    if (!canUnloadNow_)
        return E_FAIL;
    return canUnloadNow_();
}

HRESULT PanelModule::unload()
{
    if (!handle_)
        return S_OK;
    HRESULT hr = canUnloadNow();
    if (hr == S_OK)
        forceUnload();
    return hr;
}

void PanelModule::forceUnload()
{
    if (!handle_)
        return;
    closeModule(handle_, platform_);
    handle_ = nullptr;
    getClassObject_ = nullptr;
    canUnloadNow_ = nullptr;
}
