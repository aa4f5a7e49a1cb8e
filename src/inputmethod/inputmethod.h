// The InputMethod object: the panel's IInputMethod, holding nothing but its reference count.
#ifndef KWENO_INPUTMETHOD_H
#define KWENO_INPUTMETHOD_H

#include <sip.h>

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

// The variant's own: its icon's bitmap id and its class identifier as the registry writes it (the
// server's).
UINT panelIconId();
const WCHAR *panelClassIdText();

#endif // KWENO_INPUTMETHOD_H
