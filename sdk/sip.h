// The input-panel host's interfaces and records, in the published forms of the device's SDK, slot
// for slot and field for field, so that a host compiled against the SDK can drive the panel.
#ifndef KWENO_SDK_SIP_H
#define KWENO_SDK_SIP_H

#include <windows.h>

#include "ceuser.h"

typedef struct {
    DWORD cbSize;
    HANDLE hImageNarrow; // image list
    HANDLE hImageWide;
    int iNarrow;
    int iWide;
    DWORD fdwFlags;
    RECT rcSipRect;
} IMINFO, *LPIMINFO;

typedef struct {
    DWORD cbSize;
    DWORD fdwFlags;
    RECT rcVisibleDesktop;
    RECT rcSipRect;
    DWORD dwImDataSize;
    void *pvImData;
} SIPINFO, *PSIPINFO;

#define SIPF_ON 0x00000001
#define SIPF_DOCKED 0x00000002

struct IIMCallback : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetImInfo(IMINFO *pimi) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendVirtualKey(BYTE bVk, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendCharEvents(UINT uVk, UINT uKeyFlags, UINT uChars, UINT *puShift,
                                                     UINT *puChars) = 0;
    virtual HRESULT STDMETHODCALLTYPE SendString(BSTR ptszStr, DWORD dwChars) = 0;
};

// {42429666-AE04-11D0-A4F8-00AA00A749B9}
struct IInputMethod : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Select(HWND hwndSip) = 0;
    virtual HRESULT STDMETHODCALLTYPE Deselect(void) = 0;
    virtual HRESULT STDMETHODCALLTYPE Showing(void) = 0;
    virtual HRESULT STDMETHODCALLTYPE Hiding(void) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetInfo(IMINFO *pimi) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReceiveSipInfo(SIPINFO *psi) = 0;
    virtual HRESULT STDMETHODCALLTYPE RegisterCallback(IIMCallback *pIMCallback) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetImData(DWORD dwSize, void *pvImData) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetImData(DWORD dwSize, void *pvImData) = 0;
    virtual HRESULT STDMETHODCALLTYPE UserOptionsDlg(HWND hwndParent) = 0;
};

// The interface identifiers of the host's and the server's exchange, compared as 16 raw bytes: the
// one place they are written, for the panel, the hosts and the tests alike.
// {00000000-0000-0000-C000-000000000046}
const IID iidIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00000001-0000-0000-C000-000000000046}
const IID iidIClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {42429666-AE04-11D0-A4F8-00AA00A749B9}
const IID iidIInputMethod = {0x42429666, 0xAE04, 0x11D0, {0xA4, 0xF8, 0x00, 0xAA, 0x00, 0xA7, 0x49, 0xB9}};

// Whether two identifiers are the same 16 bytes.
inline bool sameGuid(const GUID &a, const GUID &b)
{
    const BYTE *x = (const BYTE *)&a;
    const BYTE *y = (const BYTE *)&b;
    for (unsigned i = 0; i < sizeof(GUID); ++i)
        if (x[i] != y[i])
            return false;
    return true;
}

#endif // KWENO_SDK_SIP_H
