// A host callback that records every call in order, and the tables tests compare them with.
#ifndef KWENO_TESTS_RECORDER_H
#define KWENO_TESTS_RECORDER_H

#include <string>
#include <vector>

#include "platform/sipdefs.h"

namespace testsupport {

enum CallKind { SET_IM_INFO, VIRTUAL_KEY, CHAR_EVENTS };

// One host call. For SendVirtualKey: vk and flags; for SendCharEvents: vk, key-state word, the
// shift word the array held and the character; for SetImInfo: flags = fdwFlags.
struct HostCall {
    CallKind kind;
    unsigned vk;
    unsigned flags;
    unsigned shift;
    unsigned character;
    bool operator==(const HostCall &o) const
    {
        return kind == o.kind && vk == o.vk && flags == o.flags && shift == o.shift && character == o.character;
    }
};

// Table rows.
inline HostCall virtualKey(unsigned vk, unsigned flags)
{
    return HostCall{VIRTUAL_KEY, vk, flags, 0, 0};
}
inline HostCall charEvent(unsigned vk, unsigned word, unsigned character)
{
    return HostCall{CHAR_EVENTS, vk, word, word, character};
}
inline HostCall imInfo(unsigned fdwFlags)
{
    return HostCall{SET_IM_INFO, 0, fdwFlags, 0, 0};
}

std::string describe(const HostCall &c);

// Returns "" when the calls match the table, else a numbered diff of both.
std::string diffCalls(const std::vector<HostCall> &expected, const std::vector<HostCall> &actual);

class RecordingCallback : public IIMCallback {
  public:
    std::vector<HostCall> calls;
    IMINFO lastImInfo;
    // Result of the next SendCharEvents/SendVirtualKey key-down calls (counted down), then S_OK.
    HRESULT failDownResult = E_FAIL;
    int failDowns = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **object) override
    {
        *object = 0;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE SetImInfo(IMINFO *info) override;
    HRESULT STDMETHODCALLTYPE SendVirtualKey(BYTE vk, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SendCharEvents(UINT vk, UINT keyFlags, UINT count, UINT *shift, UINT *chars) override;
    HRESULT STDMETHODCALLTYPE SendString(BSTR, DWORD) override;

    int references = 0;
    int sendStringCalls = 0;

    std::vector<HostCall> keys() const; // the calls without SetImInfo
    void clear() { calls.clear(); }

  private:
    HRESULT downResult(bool down);
};

} // namespace testsupport

#endif // KWENO_TESTS_RECORDER_H
