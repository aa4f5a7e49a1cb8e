// Tests of the registry: opening keys, the size and type rules of queries, setting values, closing.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "emu.h"

namespace {

const DWORD untouched = 0xDEADBEEF;
const BYTE guard = 0xCD;

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { emuReset(); }

    static std::string violations()
    {
        std::string all;
        for (int i = 0; i < emuViolationCount(); ++i)
            all += std::string(emuViolation(i)) + "\n";
        return all;
    }

    static HKEY open(const WCHAR *path, HKEY root = HKEY_CURRENT_USER)
    {
        HKEY key = (HKEY)(ULONG_PTR)untouched;
        LONG result = RegOpenKeyExW(root, path, 0, 0, &key);
        EXPECT_EQ(ERROR_SUCCESS, result);
        return result == ERROR_SUCCESS ? key : nullptr;
    }
};

// The device supports no access rights: the mask must be 0; another one is recorded and ignored.
TEST_F(RegistryTest, KeysOpenWithoutRegardToCaseAndIgnoreTheAccessMask)
{
    emuRegSetDword("ControlPanel\\Keybd", "RepeatRate", 18);
    HKEY a = open(L"controlpanel\\KEYBD");
    ASSERT_NE(nullptr, a);
    HKEY b = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"ControlPanel\\Keybd", 0, KEY_READ, &b))
        << "the device ignores the access mask";
    ASSERT_EQ(1, emuViolationCount());
    EXPECT_STREQ("RegOpenKeyExW: samDesired is not supported on the device and must be 0", emuViolation(0));
    emuClearViolations();
    HKEY parent = open(L"ControlPanel");
    HKEY child = open(L"Keybd", parent);
    EXPECT_NE(nullptr, child) << "relative to an open key";
    EXPECT_EQ(4, emuLiveCount(EMU_KEY));

    DWORD value = untouched, size = sizeof value;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(child, L"repeatrate", nullptr, nullptr, (BYTE *)&value, &size));
    EXPECT_EQ(18u, value);

    for (HKEY k : {a, b, parent, child})
        EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(k));
    EXPECT_EQ(0, emuLiveCount(EMU_KEY));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(RegistryTest, MissingKeysAndBadPathsAreNotFoundAndLeaveTheResultNull)
{
    emuRegSetDword("ControlPanel\\Sip", "x", 1);
    const WCHAR *paths[] = {L"ControlPanel\\Nothing", L"Nothing", L"\\ControlPanel\\Sip", L"ControlPanel\\\\Sip",
                            L"Sip"};
    for (const WCHAR *path : paths) {
        HKEY key = (HKEY)(ULONG_PTR)untouched;
        EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, 0, &key));
        EXPECT_EQ(nullptr, key);
    }
    HKEY trailing = open(L"ControlPanel\\Sip\\");
    EXPECT_NE(nullptr, trailing) << "a trailing backslash is allowed";
    RegCloseKey(trailing);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"ControlPanel\\Sip", 0, 0, &trailing))
        << "roots are separate";
    EXPECT_EQ(0, emuLiveCount(EMU_KEY));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(RegistryTest, SettingNamesOtherRootsAndNullSubkeyReopensTheKey)
{
    emuRegSetString("HKEY_CLASSES_ROOT\\CLSID\\{X}\\InprocServer32", "", REG_SZ, "\\Windows\\kweno.dll");
    emuRegSetDword("HKLM\\Drivers", "Count", 3);
    HKEY clsid = open(L"CLSID\\{x}\\INPROCSERVER32", HKEY_CLASSES_ROOT);
    WCHAR text[32];
    DWORD size = sizeof text, type = untouched;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(clsid, nullptr, nullptr, &type, (BYTE *)text, &size))
        << "a null name is the default value";
    EXPECT_EQ((DWORD)REG_SZ, type);
    EXPECT_EQ(19u * 2, size) << "18 characters and the terminator";
    size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(clsid, L"", nullptr, nullptr, (BYTE *)text, &size));

    HKEY again = open(nullptr, clsid);
    EXPECT_NE(clsid, again) << "a new handle to the same key";
    size = sizeof text;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(again, nullptr, nullptr, nullptr, (BYTE *)text, &size));
    HKEY drivers = open(L"Drivers", HKEY_LOCAL_MACHINE);
    EXPECT_NE(nullptr, drivers);
    for (HKEY k : {clsid, again, drivers})
        RegCloseKey(k);
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(RegistryTest, QuerySizeAndTypeRules)
{
    const BYTE five[] = {1, 2, 3, 4, 5}; // odd length, as binary values may have
    emuRegSetRaw("Test", "Raw", REG_BINARY, five, sizeof five);
    HKEY key = open(L"Test");

    // An exact buffer: data, size and type.
    BYTE buffer[8];
    memset(buffer, guard, sizeof buffer);
    DWORD size = 5, type = untouched;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Raw", nullptr, &type, buffer, &size));
    EXPECT_EQ(0, memcmp(buffer, five, 5));
    EXPECT_EQ(guard, buffer[5]) << "nothing written past the value";
    EXPECT_EQ(5u, size);
    EXPECT_EQ((DWORD)REG_BINARY, type);

    // A larger buffer: the size comes back as the value's.
    size = sizeof buffer;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Raw", nullptr, nullptr, buffer, &size));
    EXPECT_EQ(5u, size);

    // A short buffer: ERROR_MORE_DATA with the size needed, and nothing written.
    memset(buffer, guard, sizeof buffer);
    size = 4;
    type = untouched;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExW(key, L"Raw", nullptr, &type, buffer, &size));
    EXPECT_EQ(5u, size);
    EXPECT_EQ((DWORD)REG_BINARY, type);
    for (BYTE b : buffer)
        EXPECT_EQ(guard, b);

    // No buffer: only the size (and type).
    size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Raw", nullptr, &type, nullptr, &size));
    EXPECT_EQ(5u, size);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Raw", nullptr, &type, nullptr, nullptr))
        << "just whether it is there";

    // A missing value: not found, out-parameters untouched.
    size = untouched;
    type = untouched;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, L"Missing", nullptr, &type, buffer, &size));
    EXPECT_EQ(untouched, size);
    EXPECT_EQ(untouched, type);
    EXPECT_EQ(0, emuViolationCount()) << violations();

    // A buffer without a size is a caller's bug.
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExW(key, L"Raw", nullptr, &type, buffer, nullptr));
    DWORD reserved = 0;
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegQueryValueExW(key, L"Raw", &reserved, &type, nullptr, &size));
    EXPECT_EQ(2, emuViolationCount()) << violations();
    RegCloseKey(key);
}

TEST_F(RegistryTest, StringValuesAreStoredAsUtf16WithTheirTerminators)
{
    const char *strings[] = {"calc.exe", "-x \xC3\xA9"}; // the second with an e-acute
    emuRegSetMultiString("ControlPanel\\Sip", "Launch", strings, 2);
    emuRegSetString("ControlPanel\\Sip", "Expand", REG_EXPAND_SZ, "%X%");
    emuRegSetMultiString("ControlPanel\\Sip", "Empty", nullptr, 0);
    HKEY key = open(L"ControlPanel\\Sip");

    WCHAR buffer[32];
    DWORD size = sizeof buffer, type = 0;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Launch", nullptr, &type, (BYTE *)buffer, &size));
    EXPECT_EQ((DWORD)REG_MULTI_SZ, type);
    static const WCHAR expected[] = {'c', 'a', 'l', 'c', '.', 'e', 'x', 'e', 0, '-', 'x', ' ', 0xE9, 0, 0};
    ASSERT_EQ(sizeof expected, size) << "each string terminated, then one more terminator";
    EXPECT_EQ(0, memcmp(expected, buffer, sizeof expected));

    size = sizeof buffer;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Expand", nullptr, &type, (BYTE *)buffer, &size));
    EXPECT_EQ((DWORD)REG_EXPAND_SZ, type);
    EXPECT_EQ(8u, size) << "stored as given, not expanded";

    size = sizeof buffer;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Empty", nullptr, &type, (BYTE *)buffer, &size));
    EXPECT_EQ(4u, size) << "an empty list is two terminators";

    // Unterminated text can be stored raw, byte for byte.
    const BYTE unterminated[] = {'a', 0, 'b', 0, 'c'};
    emuRegSetRaw("ControlPanel\\Sip", "Raw", REG_SZ, unterminated, sizeof unterminated);
    size = sizeof buffer;
    ASSERT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"Raw", nullptr, &type, (BYTE *)buffer, &size));
    EXPECT_EQ(5u, size) << "no terminator is added";
    RegCloseKey(key);
}

TEST_F(RegistryTest, ReseedingReplacesAndDeletingIsSeenThroughOpenKeys)
{
    emuRegSetDword("A\\B", "V", 1);
    emuRegSetString("A\\B", "V", REG_SZ, "text");
    HKEY key = open(L"A\\B");
    DWORD type = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"V", nullptr, &type, nullptr, nullptr));
    EXPECT_EQ((DWORD)REG_SZ, type) << "the later setting replaced the value, type and all";

    emuRegDeleteValue("a\\b", "v");
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, L"V", nullptr, nullptr, nullptr, nullptr));

    emuRegSetDword("A\\B\\C", "W", 2);
    HKEY child = open(L"A\\B\\C");
    emuRegDeleteKey("A\\B");
    EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExW(child, L"W", nullptr, nullptr, nullptr, nullptr))
        << "subkeys go with their key";
    HKEY none = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, L"A\\B", 0, 0, &none));
    EXPECT_EQ(ERROR_KEY_DELETED, RegOpenKeyExW(key, L"C", 0, 0, &none));

    emuRegSetDword("A\\B", "V", 3);
    EXPECT_EQ(ERROR_KEY_DELETED, RegQueryValueExW(key, L"V", nullptr, nullptr, nullptr, nullptr))
        << "a new key of the same name is another key";
    emuRegDeleteKey("HKEY_CURRENT_USER");
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"A\\B", 0, 0, &none)) << "roots are never deleted";
    RegCloseKey(none);
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key)) << "a handle to a deleted key still closes";
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(child));
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

TEST_F(RegistryTest, MisuseOfHandlesIsRecorded)
{
    emuRegSetDword("K", "V", 1);
    HKEY key = open(L"K");
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key)) << "closed twice";
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegQueryValueExW(key, L"V", nullptr, nullptr, nullptr, nullptr)) << "closed";
    HKEY out = (HKEY)(ULONG_PTR)untouched;
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegOpenKeyExW(nullptr, L"K", 0, 0, &out)) << "null parent";
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegOpenKeyExW(HKEY_CURRENT_USER, L"K", 0, 0, nullptr));
    EXPECT_EQ(ERROR_INVALID_PARAMETER, RegOpenKeyExW(HKEY_CURRENT_USER, L"K", 1, 0, &out)) << "options are reserved";
    EXPECT_EQ(5, emuViolationCount()) << violations();
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(HKEY_CURRENT_USER)) << "closing a root is allowed";
    EXPECT_EQ(5, emuViolationCount()) << violations();
}

TEST_F(RegistryTest, InjectedFailuresLookLikeMissingKeysAndValues)
{
    emuRegSetDword("K", "V", 7);
    emuFailCall("RegOpenKeyExW", 1);
    HKEY key = (HKEY)(ULONG_PTR)untouched;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExW(HKEY_CURRENT_USER, L"K", 0, 0, &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(0, emuLiveCount(EMU_KEY));

    key = open(L"K");
    emuFailCall("RegQueryValueExW", 1);
    DWORD value = untouched, size = sizeof value;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegQueryValueExW(key, L"V", nullptr, nullptr, (BYTE *)&value, &size));
    EXPECT_EQ(untouched, value);
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExW(key, L"V", nullptr, nullptr, (BYTE *)&value, &size));
    EXPECT_EQ(7u, value);
    RegCloseKey(key);
    EXPECT_EQ(0, emuViolationCount()) << violations();
}

} // namespace
