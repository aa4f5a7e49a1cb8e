// Loading a deliverable: dlopen on the emulation, LoadLibraryW on Windows, and the unload rule.
#include "module.h"

#include "text.h"

#if defined(_WIN32)
#else
#include <dlfcn.h>
#endif

#if defined(_WIN32)

static void *openModule(const std::string &path, std::string *error)
{
    std::u16string wide = utf16FromUtf8(path);
    HMODULE module = LoadLibraryW(reinterpret_cast<LPCWSTR>(wide.c_str()));
    if (!module)
        *error = "LoadLibraryW failed with error " + std::to_string(GetLastError());
    return reinterpret_cast<void *>(module);
}

static void *findExport(void *module, const char *name)
{
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
}

static void closeModule(void *module)
{
    FreeLibrary(static_cast<HMODULE>(module));
}

#else

static void *openModule(const std::string &path, std::string *error)
{
    // RTLD_LOCAL: each deliverable keeps its own exports, as two DLLs do on the device.
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char *why = dlerror();
        *error = why ? why : "dlopen failed";
    }
    return module;
}

static void *findExport(void *module, const char *name)
{
    return dlsym(module, name);
}

static void closeModule(void *module)
{
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
    void *handle = openModule(path, &error_);
    if (!handle)
        return false;
    getClassObject_ = reinterpret_cast<DllGetClassObjectProc>(findExport(handle, "DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<DllCanUnloadNowProc>(findExport(handle, "DllCanUnloadNow"));
    if (!getClassObject_ || !canUnloadNow_) {
        error_ = std::string(path) + " does not export " + (!getClassObject_ ? "DllGetClassObject" : "DllCanUnloadNow");
        getClassObject_ = nullptr;
        canUnloadNow_ = nullptr;
        closeModule(handle);
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
    closeModule(handle_);
    handle_ = nullptr;
    getClassObject_ = nullptr;
    canUnloadNow_ = nullptr;
}
