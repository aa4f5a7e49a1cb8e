// Expected host traffic as tables, compared in order with a numbered listing on mismatch, for every
// test that records the panel's calls with the host's callback.
#ifndef KWENO_TESTS_EXPECTCALLS_H
#define KWENO_TESTS_EXPECTCALLS_H

#include <cstddef>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "callback.h"

// One row: the function, the virtual-key code, the flags or key-state word, the shift word and
// the characters (SetImInfo rows compare the flags only).
struct ExpectedCall {
    HostCall::Function function;
    UINT vk;
    DWORD flags;
    DWORD shift;
    std::u16string chars;
};

static const HostCall::Function CHARS = HostCall::SEND_CHAR_EVENTS;
static const HostCall::Function VKEY = HostCall::SEND_VIRTUAL_KEY;

// Rows built from values: a character event whose shift word is its key-state word, as the panel
// sends them; a virtual key; a SetImInfo.
inline ExpectedCall charEvent(UINT vk, DWORD keyState, UINT character)
{
    return ExpectedCall{CHARS, vk, keyState, keyState, std::u16string(1, static_cast<char16_t>(character))};
}
inline ExpectedCall virtualKey(UINT vk, DWORD flags)
{
    return ExpectedCall{VKEY, vk, flags, 0, u""};
}
inline ExpectedCall imInfo(DWORD fdwFlags)
{
    return ExpectedCall{HostCall::SET_IM_INFO, 0, fdwFlags, 0, u""};
}

inline bool matches(const HostCall &call, const ExpectedCall &expected)
{
    if (call.function != expected.function || call.flags != expected.flags)
        return false;
    if (call.function == HostCall::SET_IM_INFO)
        return true;
    return call.vk == expected.vk && call.shift == expected.shift && call.chars == expected.chars;
}

inline std::string describeExpected(const ExpectedCall &expected)
{
    HostCall call;
    call.function = expected.function;
    call.vk = expected.vk;
    call.flags = expected.flags;
    call.shift = expected.shift;
    call.chars = expected.chars;
    return describeHostCall(call);
}

// Success when the calls are exactly the table's rows in order; otherwise both lists numbered,
// with the first differing row marked.
inline ::testing::AssertionResult callsAre(const std::vector<HostCall> &calls, const ExpectedCall *table, size_t n)
{
    size_t differs = 0;
    while (differs < calls.size() && differs < n && matches(calls[differs], table[differs]))
        ++differs;
    if (differs == n && differs == calls.size())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "host calls differ from call " << differs + 1 << ":\n";
    size_t rows = calls.size() > n ? calls.size() : n;
    for (size_t i = 0; i < rows; ++i) {
        failure << (i == differs ? "> " : "  ") << i + 1 << "  expected "
                << (i < n ? describeExpected(table[i]) : std::string("nothing")) << "\n"
                << "      got      " << (i < calls.size() ? describeHostCall(calls[i]) : std::string("nothing"))
                << "\n";
    }
    return failure;
}

template <size_t N>
::testing::AssertionResult callsAre(const std::vector<HostCall> &calls, const ExpectedCall (&table)[N])
{
    return callsAre(calls, table, N);
}

inline ::testing::AssertionResult callsAre(const std::vector<HostCall> &calls, const std::vector<ExpectedCall> &table)
{
    return callsAre(calls, table.data(), table.size());
}

#endif // KWENO_TESTS_EXPECTCALLS_H
