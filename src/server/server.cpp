// The COM in-process server: the two exports, the class factory and the module lock count.
#include <new>

#include "../inputmethod/inputmethod.h"
#include "../model/panelstate.h"
#include "../surface/imageids.h"
#include "server.h"
#include "variants.h"

// The deliverable's own row of the variant table. The rest of the panel reads it through these
// functions: a global copied from a field of it would need a static constructor, which the device's
// loader never runs.
static const VariantFacts ownVariant = KWENO_OWN_VARIANT;

LONG normalImageOffset()
{
    return ownVariant.normalImageOffset;
}

UINT panelIconId()
{
    return ownVariant.panelIconId;
}

const WCHAR *panelClassIdText()
{
    return ownVariant.classIdText;
}

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
        if (!sameGuid(requestedClsid, ownVariant.classId))
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
