// Tests of process creation: calls are recorded with their program, arguments and flags.
#include <gtest/gtest.h>

#include <windows.h>

#include "emu.h"

namespace {

class ProcessTest : public ::testing::Test {
  protected:
    void SetUp() override { emuReset(); }
};

TEST_F(ProcessTest, CallsAreRecordedInOrderAndNothingRuns)
{
    WCHAR arguments[] = L"-mode sci \x00E9";
    // As the device allows: no start-up information, no process information.
    EXPECT_TRUE(CreateProcessW(L"MobileCalculator.exe", arguments, nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                               nullptr, nullptr, nullptr));
    EXPECT_TRUE(CreateProcessW(L"\\Windows\\other.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                               nullptr));
    ASSERT_EQ(2, emuProcessCount());
    EXPECT_STREQ("MobileCalculator.exe", emuProcessProgram(0));
    EXPECT_STREQ("-mode sci \xC3\xA9", emuProcessArguments(0)) << "UTF-8 copies";
    EXPECT_EQ((DWORD)CREATE_NEW_CONSOLE, emuProcessFlags(0));
    EXPECT_STREQ("\\Windows\\other.exe", emuProcessProgram(1));
    EXPECT_STREQ("", emuProcessArguments(1)) << "null arguments read as empty";
    EXPECT_EQ(0u, emuProcessFlags(1));
    EXPECT_STREQ("", emuProcessProgram(2)) << "past the end";

    emuClearProcesses();
    EXPECT_EQ(0, emuProcessCount());
    EXPECT_EQ(0, emuViolationCount());
}

TEST_F(ProcessTest, ProcessInformationGivesHandlesThatCloseOnce)
{
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(L"a.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi));
    EXPECT_NE(nullptr, pi.hProcess);
    EXPECT_NE(nullptr, pi.hThread);
    EXPECT_NE(pi.hProcess, pi.hThread);
    EXPECT_TRUE(CloseHandle(pi.hThread));
    EXPECT_TRUE(CloseHandle(pi.hProcess));
    EXPECT_EQ(0, emuViolationCount());
    EXPECT_FALSE(CloseHandle(pi.hProcess)) << "closed twice";
    EXPECT_EQ(1, emuViolationCount());
}

TEST_F(ProcessTest, ArgumentsTheDeviceDoesNotSupportFailAsViolations)
{
    SECURITY_ATTRIBUTES sa = {};
    WCHAR directory[] = L"\\Temp";
    EXPECT_FALSE(CreateProcessW(L"a.exe", nullptr, &sa, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_FALSE(CreateProcessW(L"a.exe", nullptr, nullptr, nullptr, TRUE, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_FALSE(CreateProcessW(L"a.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, directory, nullptr, nullptr));
    EXPECT_FALSE(CreateProcessW(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
    // The program comes from the application name only; start-up information is not taken.
    WCHAR line[] = L"a.exe /x";
    EXPECT_FALSE(CreateProcessW(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    EXPECT_FALSE(CreateProcessW(L"a.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, nullptr));
    EXPECT_EQ((DWORD)ERROR_INVALID_PARAMETER, GetLastError());
    EXPECT_EQ(6, emuViolationCount());
    EXPECT_EQ(0, emuProcessCount()) << "nothing recorded for a failed call";
}

TEST_F(ProcessTest, AnInjectedFailureRecordsNothing)
{
    emuFailCall("CreateProcessW", 1);
    EXPECT_FALSE(CreateProcessW(L"a.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(0, emuProcessCount());
    EXPECT_TRUE(CreateProcessW(L"a.exe", nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1, emuProcessCount());
    EXPECT_EQ(2, emuCallCount("CreateProcessW"));
    EXPECT_EQ(0, emuViolationCount());
}

} // namespace
