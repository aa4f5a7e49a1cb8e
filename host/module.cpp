// Loading a deliverable: by the platform's loader (LoadLibraryW: on Windows, and for the device's
// PE DLLs on the emulation) or by the host system's (dlopen, for ELF builds of the panel), the
// registry's lookup of a class, and the unload rule.
#include "module.h"

#include <cstdio>
#include <vector>

#include "text.h"

#if !defined(_WIN32) && !defined(__wasi__)
#include <dlfcn.h>
#endif
#if !defined(_WIN32)
#include <emu.h>

#include "wholefile.h"
#endif

// The three calls of one loader.
struct ModuleLoader {
    void *(*open)(const std::string &path, std::string *error);
    void *(*findExport)(void *module, const char *name);
    void (*close)(void *module);
};

static void *openPlatformModule(const std::string &path, std::string *error)
{
    std::u16string wide = utf16FromUtf8(path);
    HMODULE module = LoadLibraryW(reinterpret_cast<LPCWSTR>(wide.c_str()));
    if (!module) {
        *error = "LoadLibraryW(" + path + ") failed with error " + std::to_string(GetLastError());
#if !defined(_WIN32)
        *error += std::string(": ") + emuLastLoadProblem();
#endif
    }
    return reinterpret_cast<void *>(module);
}

static void *findPlatformExport(void *module, const char *name)
{
#if defined(_WIN32)
    return reinterpret_cast<void *>(GetProcAddress(static_cast<HMODULE>(module), name));
#else
    // Windows CE's loader takes the export's name in UTF-16.
    std::u16string wide = utf16FromUtf8(name);
    return reinterpret_cast<void *>(
        GetProcAddressW(static_cast<HMODULE>(module), reinterpret_cast<LPCWSTR>(wide.c_str())));
#endif
}

static void closePlatformModule(void *module)
{
    FreeLibrary(static_cast<HMODULE>(module));
}

static const ModuleLoader platformLoader = {openPlatformModule, findPlatformExport, closePlatformModule};

#if defined(_WIN32)

// On Windows a deliverable is a DLL for the platform's loader whichever way it is found.
static const ModuleLoader &hostLoader = platformLoader;

#elif defined(__wasi__)

// WebAssembly loads no code at run time: a deliverable is linked into the program, and the
// platform's loader finds it by its file name (emuLinkModule).
static const ModuleLoader &hostLoader = platformLoader;

#else

static void *openHostModule(const std::string &path, std::string *error)
{
    // RTLD_LOCAL: each deliverable keeps its own exports, as two DLLs do on the device.
    void *module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char *why = dlerror();
        *error = why ? why : "dlopen failed";
    }
    return module;
}

static void *findHostExport(void *module, const char *name)
{
    return dlsym(module, name);
}

static void closeHostModule(void *module)
{
    dlclose(module);
}

static const ModuleLoader hostLoader = {openHostModule, findHostExport, closeHostModule};

// A PE file is a DLL of the device, for the emulation's own loader; anything else is for dlopen.
static bool isPeFile(const std::string &path, std::vector<char> *bytes)
{
    return readFile(path, bytes) && bytes->size() >= 2 && (*bytes)[0] == 'M' && (*bytes)[1] == 'Z';
}

#endif

// The longest path the platform's file system takes (MAX_PATH), terminator included.
static const DWORD maxPath = 260;

// Desktop Windows asks for the right to read; the device supports no access rights and takes 0.
#if defined(_WIN32)
static const REGSAM readAccess = KEY_READ;
#else
static const REGSAM readAccess = 0;
#endif

std::string textOfClsid(REFCLSID clsid)
{
    char text[40];
    snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
             static_cast<unsigned long>(clsid.Data1), clsid.Data2, clsid.Data3, clsid.Data4[0], clsid.Data4[1],
             clsid.Data4[2], clsid.Data4[3], clsid.Data4[4], clsid.Data4[5], clsid.Data4[6], clsid.Data4[7]);
    return text;
}

bool registryText(HKEY root, const std::string &key, const std::string &name, std::string *text, std::string *error)
{
    std::string where = std::string(root == HKEY_CLASSES_ROOT ? "HKEY_CLASSES_ROOT\\" : "HKEY_CURRENT_USER\\") + key;
    std::string value = name.empty() ? "default value" : "value " + name;
    std::u16string wideKey = utf16FromUtf8(key), wideName = utf16FromUtf8(name);
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, reinterpret_cast<LPCWSTR>(wideKey.c_str()), 0, readAccess, &opened) != ERROR_SUCCESS) {
        *error = "no " + where + " in the registry";
        return false;
    }
    WCHAR data[maxPath];
    DWORD size = sizeof data, type = REG_NONE;
    LONG status = RegQueryValueExW(opened, name.empty() ? nullptr : reinterpret_cast<LPCWSTR>(wideName.c_str()),
                                   nullptr, &type, reinterpret_cast<BYTE *>(data), &size);
    RegCloseKey(opened);
    if (status == ERROR_FILE_NOT_FOUND) {
        *error = where + " has no " + value;
        return false;
    }
    if (status != ERROR_SUCCESS) {
        *error = where + ": its " + value + " cannot be read (error " + std::to_string(status) + ")";
        return false;
    }
    bool expand = false;
#if defined(_WIN32)
    expand = type == REG_EXPAND_SZ;
#endif
    if (type != REG_SZ && !expand) {
        *error = where + ": its " + value + " is not a string (type " + std::to_string(type) + ")";
        return false;
    }
    // The data need not end with a terminator; the string ends at the first one.
    std::u16string wide(data, data + size / sizeof(WCHAR));
    wide = wide.substr(0, wide.find(u'\0'));
#if defined(_WIN32)
    WCHAR expanded[maxPath];
    std::wstring unexpanded(wide.begin(), wide.end());
    DWORD length = expand ? ExpandEnvironmentStringsW(unexpanded.c_str(), expanded, maxPath) : 0;
    if (length > 0 && length <= maxPath)
        wide.assign(expanded, expanded + length - 1);
#endif
    *text = utf8FromUtf16(wide);
    return true;
}

bool serverOfClass(REFCLSID clsid, std::string *path, std::string *error)
{
    std::string key = "CLSID\\" + textOfClsid(clsid) + "\\InprocServer32";
    if (!registryText(HKEY_CLASSES_ROOT, key, "", path, error))
        return false;
    if (path->empty()) {
        *error = "HKEY_CLASSES_ROOT\\" + key + " names no module";
        return false;
    }
    return true;
}

PanelModule::~PanelModule()
{
    if (handle_)
        unload();
}

bool PanelModule::load(const std::string &path)
{
#if !defined(_WIN32) && !defined(__wasi__)
    // A CE path names a file of the emulated device; a host file holding a device DLL is put in the
    // device's \Windows first, where its installer puts it, and loaded from there.
    if (!path.empty() && path[0] == '\\')
        return open(platformLoader, path);
    std::vector<char> bytes;
    if (isPeFile(path, &bytes)) {
        std::string cePath = "\\Windows\\" + path.substr(path.find_last_of('/') + 1);
        emuRegisterModule(cePath.c_str(), bytes.data(), bytes.size());
        return open(platformLoader, cePath);
    }
#endif
    return open(hostLoader, path);
}

bool PanelModule::open(const ModuleLoader &loader, const std::string &path)
{
    if (handle_) {
        error_ = "a module is already loaded";
        return false;
    }
    error_.clear();
    path_ = path;
    void *handle = loader.open(path, &error_);
    if (!handle)
        return false;
    getClassObject_ = reinterpret_cast<DllGetClassObjectProc>(loader.findExport(handle, "DllGetClassObject"));
    canUnloadNow_ = reinterpret_cast<DllCanUnloadNowProc>(loader.findExport(handle, "DllCanUnloadNow"));
    if (!getClassObject_ || !canUnloadNow_) {
        error_ = std::string(path) + " does not export " + (!getClassObject_ ? "DllGetClassObject" : "DllCanUnloadNow");
        getClassObject_ = nullptr;
        canUnloadNow_ = nullptr;
        loader.close(handle);
        return false;
    }
    loader_ = &loader;
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
    loader_->close(handle_);
    loader_ = nullptr;
    handle_ = nullptr;
    getClassObject_ = nullptr;
    canUnloadNow_ = nullptr;
}
