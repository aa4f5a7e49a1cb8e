// The host's IIMCallback: the calls are recorded in order and applied to the text field the way the
// focused application would take the injected keys.
#include "callback.h"

#include <cstdio>
#include <cstring>

#ifndef VK_BACK
#define VK_BACK 0x08
#endif
#ifndef VK_TAB
#define VK_TAB 0x09
#endif
#ifndef VK_RETURN
#define VK_RETURN 0x0D
#endif

const char *hostFunctionName(HostCall::Function function)
{
    switch (function) {
    case HostCall::SET_IM_INFO:
        return "SetImInfo";
    case HostCall::SEND_VIRTUAL_KEY:
        return "SendVirtualKey";
    case HostCall::SEND_CHAR_EVENTS:
        return "SendCharEvents";
    case HostCall::SEND_STRING:
        return "SendString";
    }
    return "?";
}

std::string describeHostCall(const HostCall &call)
{
    char buffer[160];
    switch (call.function) {
    case HostCall::SET_IM_INFO:
        snprintf(buffer, sizeof buffer, "SetImInfo(flags 0x%x, rect {%d, %d, %d, %d})", (unsigned)call.flags,
                 (int)call.rect.left, (int)call.rect.top, (int)call.rect.right, (int)call.rect.bottom);
        return buffer;
    case HostCall::SEND_VIRTUAL_KEY:
        snprintf(buffer, sizeof buffer, "SendVirtualKey(vk 0x%02x, flags 0x%x)", call.vk, (unsigned)call.flags);
        return buffer;
    case HostCall::SEND_CHAR_EVENTS:
        snprintf(buffer, sizeof buffer, "SendCharEvents(vk 0x%02x, flags 0x%x, shift 0x%x, ", call.vk,
                 (unsigned)call.flags, (unsigned)call.shift);
        break;
    case HostCall::SEND_STRING:
        snprintf(buffer, sizeof buffer, "SendString(");
        break;
    }
    std::string text = buffer;
    text += '"';
    for (char16_t c : call.chars) {
        if (c >= 0x20 && c < 0x7F) {
            text += static_cast<char>(c);
        } else {
            snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
            text += buffer;
        }
    }
    return text + "\")";
}

HostCallback::HostCallback() = default;

HRESULT STDMETHODCALLTYPE HostCallback::QueryInterface(REFIID riid, void **ppvObject)
{
    if (!ppvObject)
        return E_POINTER;
    *ppvObject = nullptr;
    if (!sameGuid(riid, iidIUnknown))
        return E_NOINTERFACE;
    *ppvObject = static_cast<IUnknown *>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE HostCallback::AddRef()
{
    ++addRefs_;
    return ++refs_;
}

ULONG STDMETHODCALLTYPE HostCallback::Release()
{
    ++releases_;
    return refs_ > 1 ? --refs_ : 1;
}

void HostCallback::failCall(int nth, HRESULT result, int count)
{
    failIn_ = nth;
    failCount_ = count;
    failResult_ = result;
}

HRESULT HostCallback::answer()
{
    if (failIn_ > 1) {
        --failIn_;
        return S_OK;
    }
    if (failIn_ == 1 && failCount_ > 0) {
        if (--failCount_ == 0)
            failIn_ = 0;
        return failResult_;
    }
    return S_OK;
}

HRESULT HostCallback::record(HostCall call)
{
    call.result = answer();
    calls_.push_back(call);
    return call.result;
}

void HostCallback::handOn()
{
    if (onKey_)
        onKey_(calls_.back());
}

std::vector<HostCall> HostCallback::callsOf(HostCall::Function function) const
{
    std::vector<HostCall> of;
    for (const HostCall &call : calls_) {
        if (call.function == function)
            of.push_back(call);
    }
    return of;
}

std::vector<HostCall> HostCallback::keyCalls() const
{
    std::vector<HostCall> keys;
    for (const HostCall &call : calls_) {
        if (call.function != HostCall::SET_IM_INFO)
            keys.push_back(call);
    }
    return keys;
}

HRESULT STDMETHODCALLTYPE HostCallback::SetImInfo(IMINFO *pimi)
{
    HostCall call;
    call.function = HostCall::SET_IM_INFO;
    if (pimi) {
        call.flags = pimi->fdwFlags;
        call.rect = pimi->rcSipRect;
    }
    HRESULT hr = record(call);
    if (!pimi)
        return E_POINTER;
    if (SUCCEEDED(hr) && onImInfo_) {
        // Copied by size: the panel's record must not be kept or written by the host.
        IMINFO copy;
        memcpy(&copy, pimi, sizeof copy);
        onImInfo_(copy);
    }
    return hr;
}

HRESULT STDMETHODCALLTYPE HostCallback::SendVirtualKey(BYTE bVk, DWORD dwFlags)
{
    HostCall call;
    call.function = HostCall::SEND_VIRTUAL_KEY;
    call.vk = bVk;
    call.flags = dwFlags;
    HRESULT hr = record(call);
    if (FAILED(hr))
        return hr;
    handOn();
    if (dwFlags & KEYEVENTF_KEYUP)
        return hr;
    // The keys an edit control acts on when they go down without a character event.
    switch (bVk) {
    case VK_TAB:
        field_.insert(u'\t');
        break;
    case VK_RETURN:
        field_.insert(u'\n');
        break;
    case VK_BACK:
        field_.deleteBack();
        break;
    default:
        break;
    }
    return hr;
}

void HostCallback::typeCharacter(UINT character, DWORD keyState)
{
    // Only the key-down of a character event makes a character; the key-up carries
    // KeyShiftNoCharacterFlag and no KeyStateDownFlag.
    if (!(keyState & KeyStateDownFlag) || (keyState & KeyShiftNoCharacterFlag))
        return;
    switch (character) {
    case 0:
        break;
    case 0x08:
        if (keyState & KeyShiftAnyCtrlFlag)
            field_.deleteWordBack();
        else
            field_.deleteBack();
        break;
    case 0x0D:
        field_.insert(u'\n');
        break;
    default:
        field_.insert(static_cast<char16_t>(character));
        break;
    }
}

HRESULT STDMETHODCALLTYPE HostCallback::SendCharEvents(UINT uVk, UINT uKeyFlags, UINT uChars, UINT *puShift,
                                                       UINT *puChars)
{
    HostCall call;
    call.function = HostCall::SEND_CHAR_EVENTS;
    call.vk = uVk;
    call.flags = uKeyFlags;
    bool valid = uChars == 0 || (puShift && puChars);
    if (valid && uChars > 0)
        call.shift = puShift[0];
    for (UINT i = 0; valid && i < uChars; ++i)
        call.chars += static_cast<char16_t>(puChars[i]);
    HRESULT hr = record(call);
    if (!valid)
        return E_POINTER;
    if (FAILED(hr))
        return hr;
    // Each character goes with its own shift word, as the platform turns them into messages.
    for (UINT i = 0; i < uChars; ++i)
        typeCharacter(puChars[i], puShift[i]);
    handOn();
    return hr;
}

HRESULT STDMETHODCALLTYPE HostCallback::SendString(BSTR ptszStr, DWORD dwChars)
{
    HostCall call;
    call.function = HostCall::SEND_STRING;
    if (ptszStr) {
        for (DWORD i = 0; i < dwChars; ++i)
            call.chars += static_cast<char16_t>(ptszStr[i]);
    }
    HRESULT hr = record(call);
    if (!ptszStr && dwChars > 0)
        return E_POINTER;
    if (SUCCEEDED(hr)) {
        field_.insert(call.chars);
        handOn();
    }
    return hr;
}
