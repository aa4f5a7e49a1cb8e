// The COM in-process server: the two exports, the class factory and the module lock count.
#include <new>

#include "../inputmethod/inputmethod.h"
#include "../model/panelstate.h"
#include "../surface/imageids.h"
#include "server.h"
#include "variant.h"

static const CLSID panelClsid = KWENO_CLSID_INIT;

// The variant's picture choices and its name in the registry, for the rest of the panel.
extern const LONG NORMAL_IMAGE_OFFSET = KWENO_NORMAL_IMAGE_OFFSET;
extern const UINT PANEL_ICON_ID = KWENO_PANEL_ICON_ID;
extern const WCHAR PANEL_CLASS_ID_TEXT[] = KWENO_CLSID_TEXT;

class InputMethodClassFactory : public IClassFactory {
  public:
    explicit InputMethodClassFactory(REFCLSID clsid) : refCount(1), requestedClsid(clsid) { ++panel.lockCount; }
    virtual ~InputMethodClassFactory() { --panel.lockCount; }

    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object)
    {
        *object = 0;
        if (sameGuid(riid, iidIUnknown) || sameGuid(riid, iidIClassFactory)) {
            *object = static_cast<IClassFactory *>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }

    virtual ULONG STDMETHODCALLTYPE AddRef() { return (ULONG)++refCount; }

    virtual ULONG STDMETHODCALLTYPE Release()
    {
        LONG count = --refCount;
        if (count == 0) {
            delete this;
            return 0;
        }
        return (ULONG)count;
    }

    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **object)
    {
        if (object)
            *object = 0;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        // The factory is handed out for any class; only creating the object checks it.
        if (!sameGuid(requestedClsid, panelClsid))
            return E_FAIL;
        // With nowhere to put the object, making one would only leak it.
        if (!object)
            return E_POINTER;
        InputMethod *inputMethod = new (std::nothrow) InputMethod();
        if (!inputMethod)
            return E_OUTOFMEMORY;
        HRESULT result = inputMethod->QueryInterface(riid, object);
        if (FAILED(result))
            delete inputMethod;
        return result;
    }

    virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock)
    {
        if (lock)
            ++panel.lockCount;
        else
            --panel.lockCount;
        return S_OK;
    }

  private:
    LONG refCount;
    CLSID requestedClsid;
};

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID *ppv)
{
    InputMethodClassFactory *factory = new (std::nothrow) InputMethodClassFactory(rclsid);
    if (!factory)
        return E_OUTOFMEMORY;
    HRESULT result = factory->QueryInterface(riid, ppv);
    // Drops the construction reference; a factory nobody asked for goes with it.
    factory->Release();
    return result;
}

STDAPI DllCanUnloadNow()
{
    return panel.lockCount == 0 ? S_OK : S_FALSE;
}

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID)
{
    // Everything else is built by Select and released by Deselect.
    if (reason == DLL_PROCESS_ATTACH)
        panel.moduleInstance = module;
    return TRUE;
}
