// The host's IIMCallback: records every call from the panel and types into the text field.
#ifndef KWENO_HOST_CALLBACK_H
#define KWENO_HOST_CALLBACK_H

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include <sip.h>
#include "textfield.h"

// One call the panel made on the host's callback, in the words it used.
struct HostCall {
    enum Function { SET_IM_INFO, SEND_VIRTUAL_KEY, SEND_CHAR_EVENTS, SEND_STRING };
    Function function = SEND_CHAR_EVENTS;
    UINT vk = 0;              // SendVirtualKey, SendCharEvents
    DWORD flags = 0;          // SendVirtualKey: key-event flags; SendCharEvents: key-state word;
                              // SetImInfo: fdwFlags
    DWORD shift = 0;          // SendCharEvents: the shift word of the first character
    std::u16string chars;     // SendCharEvents, SendString
    RECT rect = {0, 0, 0, 0}; // SetImInfo: rcSipRect
    HRESULT result = S_OK;    // what the host answered
};

const char *hostFunctionName(HostCall::Function function);
// "SendCharEvents(vk 0x51, flags 0x80, shift 0x80, "q")": for messages in tests.
std::string describeHostCall(const HostCall &call);

class HostCallback : public IIMCallback {
  public:
    HostCallback();
    HostCallback(const HostCallback &) = delete;
    HostCallback &operator=(const HostCallback &) = delete;
    virtual ~HostCallback() = default;

    // IUnknown. The host owns this object: Release never frees it.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IIMCallback
    HRESULT STDMETHODCALLTYPE SetImInfo(IMINFO *pimi) override;
    HRESULT STDMETHODCALLTYPE SendVirtualKey(BYTE bVk, DWORD dwFlags) override;
    HRESULT STDMETHODCALLTYPE SendCharEvents(UINT uVk, UINT uKeyFlags, UINT uChars, UINT *puShift,
                                             UINT *puChars) override;
    HRESULT STDMETHODCALLTYPE SendString(BSTR ptszStr, DWORD dwChars) override;

    const std::vector<HostCall> &calls() const { return calls_; }
    void clearCalls() { calls_.clear(); }
    // The calls of one kind only, in order.
    std::vector<HostCall> callsOf(HostCall::Function function) const;
    // The key calls (SendVirtualKey, SendCharEvents, SendString) in order, without SetImInfo.
    std::vector<HostCall> keyCalls() const;

    TextField &field() { return field_; }
    const TextField &field() const { return field_; }

    // The nth call from now (1 = the next), and the count - 1 calls after it, answer result
    // instead of S_OK; a failed call is recorded but not typed, as if the application had
    // refused it.
    void failCall(int nth, HRESULT result, int count = 1);

    // Told of every SetImInfo, after it is recorded, with the panel's record.
    void setImInfoHandler(std::function<void(const IMINFO &)> handler) { onImInfo_ = std::move(handler); }
    // Told of every key call the host accepted (SendVirtualKey, SendCharEvents, SendString), after
    // it is recorded and typed into the field: for a host that hands the keys on to a real
    // application as well.
    void setKeyHandler(std::function<void(const HostCall &)> handler) { onKey_ = std::move(handler); }

    // AddRef and Release calls the panel made; it should make none.
    int addRefCount() const { return addRefs_; }
    int releaseCount() const { return releases_; }

  private:
    HRESULT answer();
    HRESULT record(HostCall call);
    void handOn();
    void typeCharacter(UINT character, DWORD keyState);

    std::vector<HostCall> calls_;
    TextField field_;
    std::function<void(const IMINFO &)> onImInfo_;
    std::function<void(const HostCall &)> onKey_;
    int failIn_ = 0;
    int failCount_ = 0;
    HRESULT failResult_ = S_OK;
    ULONG refs_ = 1; // the host's own reference
    int addRefs_ = 0;
    int releases_ = 0;
};

#endif // KWENO_HOST_CALLBACK_H
