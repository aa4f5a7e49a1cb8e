// The InputMethod object: the panel's IInputMethod, holding nothing but its reference count.
#ifndef KWENO_INPUTMETHOD_H
#define KWENO_INPUTMETHOD_H

#include "sipdefs.h"

class InputMethod : public IInputMethod {
  public:
    InputMethod();
    virtual ~InputMethod();

    // IUnknown
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **object);
    virtual ULONG STDMETHODCALLTYPE AddRef();
    virtual ULONG STDMETHODCALLTYPE Release();

    // IInputMethod
    virtual HRESULT STDMETHODCALLTYPE Select(HWND hwndSip);
    virtual HRESULT STDMETHODCALLTYPE Deselect();
    virtual HRESULT STDMETHODCALLTYPE Showing();
    virtual HRESULT STDMETHODCALLTYPE Hiding();
    virtual HRESULT STDMETHODCALLTYPE GetInfo(IMINFO *info);
    virtual HRESULT STDMETHODCALLTYPE ReceiveSipInfo(SIPINFO *sipInfo);
    virtual HRESULT STDMETHODCALLTYPE RegisterCallback(IIMCallback *callback);
    virtual HRESULT STDMETHODCALLTYPE GetImData(DWORD size, void *data);
    virtual HRESULT STDMETHODCALLTYPE SetImData(DWORD size, void *data);
    virtual HRESULT STDMETHODCALLTYPE UserOptionsDlg(HWND parent);

  private:
    LONG refCount;
};

// Interface identifiers the panel answers to, compared as 16 raw bytes.
extern const IID iidIUnknown;
extern const IID iidIClassFactory;
extern const IID iidIInputMethod;
bool sameGuid(const GUID &a, const GUID &b);

#endif // KWENO_INPUTMETHOD_H
