// Expected host traffic as tables, compared in order with a numbered listing on mismatch.
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
    const char16_t *chars;
};

inline bool matches(const HostCall &call, const ExpectedCall &expected)
{
    if (call.function != expected.function || call.flags != expected.flags)
        return false;
    if (call.function == HostCall::SET_IM_INFO)
        return true;
    return call.vk == expected.vk && call.shift == expected.shift && call.chars == std::u16string(expected.chars);
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
template <size_t N>
::testing::AssertionResult callsAre(const std::vector<HostCall> &calls, const ExpectedCall (&table)[N])
{
    size_t differs = 0;
    while (differs < calls.size() && differs < N && matches(calls[differs], table[differs]))
        ++differs;
    if (differs == N && differs == calls.size())
        return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure();
    failure << "host calls differ from call " << differs + 1 << ":\n";
    size_t rows = calls.size() > N ? calls.size() : N;
    for (size_t i = 0; i < rows; ++i) {
        failure << (i == differs ? "> " : "  ") << i + 1 << "  expected "
                << (i < N ? describeExpected(table[i]) : std::string("nothing")) << "\n"
                << "      got      " << (i < calls.size() ? describeHostCall(calls[i]) : std::string("nothing"))
                << "\n";
    }
    return failure;
}

#endif // KWENO_TESTS_EXPECTCALLS_H
