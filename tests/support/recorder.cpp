// The recording host callback and the numbered diff of call tables.
#include "recorder.h"

#include <cstdio>
#include <sstream>

namespace testsupport {

std::string describe(const HostCall &c)
{
    char buf[128];
    switch (c.kind) {
    case SET_IM_INFO:
        snprintf(buf, sizeof buf, "SetImInfo(fdwFlags %u)", c.flags);
        break;
    case VIRTUAL_KEY:
        snprintf(buf, sizeof buf, "SendVirtualKey(vk 0x%02X, flags %u)", c.vk, c.flags);
        break;
    default:
        snprintf(buf, sizeof buf, "SendCharEvents(vk 0x%02X, state 0x%08X, shift 0x%08X, char U+%04X)", c.vk, c.flags,
                 c.shift, c.character);
        break;
    }
    return buf;
}

std::string diffCalls(const std::vector<HostCall> &expected, const std::vector<HostCall> &actual)
{
    bool same = expected.size() == actual.size();
    for (size_t i = 0; same && i < expected.size(); ++i)
        same = expected[i] == actual[i];
    if (same)
        return "";
    std::ostringstream out;
    size_t n = expected.size() > actual.size() ? expected.size() : actual.size();
    for (size_t i = 0; i < n; ++i) {
        std::string e = i < expected.size() ? describe(expected[i]) : "(none)";
        std::string a = i < actual.size() ? describe(actual[i]) : "(none)";
        out << (e == a ? "   " : "** ") << i + 1 << ": expected " << e << "\n";
        if (e != a)
            out << "      got      " << a << "\n";
    }
    return out.str();
}

HRESULT RecordingCallback::downResult(bool down)
{
    if (down && failDowns > 0) {
        --failDowns;
        return failDownResult;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingCallback::SetImInfo(IMINFO *info)
{
    lastImInfo = *info;
    calls.push_back(imInfo(info->fdwFlags));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RecordingCallback::SendVirtualKey(BYTE vk, DWORD flags)
{
    calls.push_back(virtualKey(vk, flags));
    return downResult(!(flags & KEYEVENTF_KEYUP));
}

HRESULT STDMETHODCALLTYPE RecordingCallback::SendCharEvents(UINT vk, UINT keyFlags, UINT count, UINT *shift,
                                                            UINT *chars)
{
    HostCall c = {CHAR_EVENTS, vk, keyFlags, shift ? shift[0] : 0xDEADBEEF, count >= 1 && chars ? chars[0] : 0};
    if (count != 1)
        c.character = 0xBADC0DE;
    calls.push_back(c);
    return downResult((keyFlags & KeyStateDownFlag) != 0);
}

HRESULT STDMETHODCALLTYPE RecordingCallback::SendString(BSTR, DWORD)
{
    ++sendStringCalls;
    return S_OK;
}

std::vector<HostCall> RecordingCallback::keys() const
{
    std::vector<HostCall> out;
    for (const HostCall &c : calls)
        if (c.kind != SET_IM_INFO)
            out.push_back(c);
    return out;
}

} // namespace testsupport
