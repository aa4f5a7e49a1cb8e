// A deliverable loaded by path, or by the path the registry names for its class: the in-process
// server's two exports and the module's lifetime.
#ifndef KWENO_HOST_MODULE_H
#define KWENO_HOST_MODULE_H

#include <string>

#include <windows.h>

typedef HRESULT(STDMETHODCALLTYPE *DllGetClassObjectProc)(REFCLSID rclsid, REFIID riid, LPVOID *ppv);
typedef HRESULT(STDMETHODCALLTYPE *DllCanUnloadNowProc)(void);

// "{91C40DFC-6B41-456F-A2E4-4AA7363198B7}", as the registry names a class.
std::string textOfClsid(REFCLSID clsid);

// A string value (name "" for the key's default) of a key under HKEY_CLASSES_ROOT or
// HKEY_CURRENT_USER, read through the platform's registry functions. False, with error saying which
// key or value is missing or wrong.
bool registryText(HKEY root, const std::string &key, const std::string &name, std::string *text, std::string *error);

// The path of the module that HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32 names in its default
// value, read through the platform's registry functions as the platform's host finds an input
// method. False, with error saying which key or value is missing or wrong, when it names none.
bool serverOfClass(REFCLSID clsid, std::string *path, std::string *error);

struct ModuleLoader;

class PanelModule {
  public:
    PanelModule() = default;
    PanelModule(const PanelModule &) = delete;
    PanelModule &operator=(const PanelModule &) = delete;
    // Leaves the module loaded if it still holds objects: unloading code that is running would crash.
    ~PanelModule();

    // Loads the file and finds both exports. False, with error() saying why, on failure. On the
    // emulation a CE path ("\\Windows\\kweno.dll") or a host path to a device DLL (a PE file) is
    // loaded by the emulation's LoadLibraryW, any other host path by the host system's loader.
    bool load(const std::string &path);
    bool loaded() const { return handle_ != nullptr; }
    const std::string &error() const { return error_; }
    const std::string &path() const { return path_; }
    // The platform's handle of the loaded module (HMODULE on Windows), null when none is loaded.
    void *nativeHandle() const { return handle_; }

    // The exports, as the platform's COM runtime calls them; E_UNEXPECTED-like E_FAIL when not loaded.
    HRESULT getClassObject(REFCLSID rclsid, REFIID riid, void **ppv);
    HRESULT canUnloadNow();

    // Asks DllCanUnloadNow; on S_OK the module is unloaded. Returns what it answered (S_FALSE: kept).
    HRESULT unload();
    // Unloads whatever the module says (for a host shutting down after a failure).
    void forceUnload();

  private:
    bool open(const ModuleLoader &loader, const std::string &path);

    const ModuleLoader *loader_ = nullptr;
    void *handle_ = nullptr;
    DllGetClassObjectProc getClassObject_ = nullptr;
    DllCanUnloadNowProc canUnloadNow_ = nullptr;
    std::string path_;
    std::string error_;
};

#endif // KWENO_HOST_MODULE_H
