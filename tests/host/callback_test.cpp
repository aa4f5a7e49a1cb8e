// Tests of the host's callback: what it records of each call and how the keys edit the text field.
#include <cstring>

#include <gtest/gtest.h>

#include "callback.h"
#include "../support/expectcalls.h"

// The words of a character event, as the panel sends them.
static const UINT DOWN = KeyStateDownFlag;
static const UINT UP = KeyShiftNoCharacterFlag | KeyStatePrevDownFlag;
static const UINT SHIFT = KeyShiftAnyShiftFlag;
static const UINT CTRL = KeyShiftAnyCtrlFlag;

// A character key's tap: the key-down with the character, then the key-up.
static void sendTap(IIMCallback &callback, UINT vk, UINT character, UINT extra = 0)
{
    UINT down = DOWN | extra;
    UINT up = UP | extra;
    callback.SendCharEvents(vk, down, 1, &down, &character);
    callback.SendCharEvents(vk, up, 1, &up, &character);
}

TEST(HostCallback, CharacterTapsTypeOnTheKeyDownAndRecordBothHalves)
{
    HostCallback callback;
    sendTap(callback, 'Q', u'q');
    sendTap(callback, 'W', u'W', SHIFT);
    sendTap(callback, 0, 0x00B0); // a key with no virtual-key code still types its character

    static const ExpectedCall qShiftedWDegree[] = {
        {CHARS, 0x51, 0x00000080, 0x00000080, u"q"},      {CHARS, 0x51, 0x00010040, 0x00010040, u"q"},
        {CHARS, 0x57, 0x20000080, 0x20000080, u"W"},      {CHARS, 0x57, 0x20010040, 0x20010040, u"W"},
        {CHARS, 0x00, 0x00000080, 0x00000080, u"\u00B0"}, {CHARS, 0x00, 0x00010040, 0x00010040, u"\u00B0"},
    };
    EXPECT_TRUE(callsAre(callback.calls(), qShiftedWDegree));
    EXPECT_EQ("qW\xC2\xB0", callback.field().utf8());
}

TEST(HostCallback, ControlCharactersEditInsteadOfInserting)
{
    HostCallback callback;
    callback.field().setText(u"one two  three");
    sendTap(callback, 0x08, 0x08);
    EXPECT_EQ(u"one two  thre", callback.field().text()) << "backspace deletes one character";

    UINT down = DOWN | CTRL;
    UINT backspace = 0x08;
    callback.SendCharEvents(0x08, down, 1, &down, &backspace);
    EXPECT_EQ(u"one two  ", callback.field().text()) << "the control bit deletes the word";
    callback.SendCharEvents(0x08, down, 1, &down, &backspace);
    EXPECT_EQ(u"one ", callback.field().text()) << "blanks first, then the word before them";

    sendTap(callback, 0x0D, 0x0D);
    sendTap(callback, 0x20, u' ');
    EXPECT_EQ(u"one \n ", callback.field().text()) << "return makes a newline";

    UINT plain = DOWN;
    UINT nul = 0;
    callback.SendCharEvents(0x41, plain, 1, &plain, &nul);
    EXPECT_EQ(u"one \n ", callback.field().text()) << "a character 0 types nothing";
}

TEST(HostCallback, VirtualKeysActOnTheKeyDownOnly)
{
    HostCallback callback;
    callback.field().setText(u"ab");
    callback.SendVirtualKey(0x09, KEYEVENTF_SILENT);
    callback.SendVirtualKey(0x09, KEYEVENTF_SILENT | KEYEVENTF_KEYUP);
    callback.SendVirtualKey(0x0D, KEYEVENTF_SILENT);
    callback.SendVirtualKey(0x08, KEYEVENTF_SILENT);
    callback.SendVirtualKey(0x08, KEYEVENTF_SILENT | KEYEVENTF_KEYUP);
    callback.SendVirtualKey(0x41, KEYEVENTF_SILENT); // a letter without its character event types nothing
    EXPECT_EQ(u"ab\t", callback.field().text());

    static const ExpectedCall tabReturnBackspaceA[] = {
        {VKEY, 0x09, 4, 0, u""}, {VKEY, 0x09, 6, 0, u""}, {VKEY, 0x0D, 4, 0, u""},
        {VKEY, 0x08, 4, 0, u""}, {VKEY, 0x08, 6, 0, u""}, {VKEY, 0x41, 4, 0, u""},
    };
    EXPECT_TRUE(callsAre(callback.calls(), tabReturnBackspaceA));
}

TEST(HostCallback, EachCharacterOfAnEventGoesWithItsOwnShiftWord)
{
    HostCallback callback;
    UINT shifts[] = {DOWN, UP, DOWN};
    UINT chars[] = {u'x', u'y', u'z'};
    callback.SendCharEvents(0x58, DOWN, 3, shifts, chars);
    EXPECT_EQ(u"xz", callback.field().text());
    ASSERT_EQ(1u, callback.calls().size());
    EXPECT_EQ(u"xyz", callback.calls()[0].chars);
    EXPECT_EQ(DOWN, callback.calls()[0].shift);

    EXPECT_EQ(E_POINTER, callback.SendCharEvents(0x58, DOWN, 1, nullptr, chars));
    EXPECT_EQ(u"xz", callback.field().text()) << "no characters without their shift words";

    WCHAR text[] = L"\u00E9t\u00E9";
    EXPECT_EQ(S_OK, callback.SendString(text, 3));
    EXPECT_EQ(u"xz\u00E9t\u00E9", callback.field().text());
}

TEST(HostCallback, AFailedCallIsRecordedWithItsResultButNotTyped)
{
    HostCallback callback;
    callback.failCall(2, E_FAIL);
    UINT down = DOWN;
    UINT a = u'a';
    EXPECT_EQ(S_OK, callback.SendCharEvents(0x41, down, 1, &down, &a));
    EXPECT_EQ(E_FAIL, callback.SendCharEvents(0x41, down, 1, &down, &a));
    EXPECT_EQ(S_OK, callback.SendCharEvents(0x41, down, 1, &down, &a)) << "only the nth call fails";
    EXPECT_EQ(u"aa", callback.field().text());
    ASSERT_EQ(3u, callback.calls().size());
    EXPECT_EQ(E_FAIL, callback.calls()[1].result);

    callback.failCall(1, E_OUTOFMEMORY, 2);
    EXPECT_EQ(E_OUTOFMEMORY, callback.SendVirtualKey(0x09, 0));
    EXPECT_EQ(E_OUTOFMEMORY, callback.SendCharEvents(0x41, down, 1, &down, &a)) << "a count of calls fails in a row";
    EXPECT_EQ(S_OK, callback.SendCharEvents(0x41, down, 1, &down, &a));
    EXPECT_EQ(u"aaa", callback.field().text());
}

TEST(HostCallback, SetImInfoIsRecordedAndHandedOnAsACopy)
{
    HostCallback callback;
    IMINFO seen;
    memset(&seen, 0, sizeof seen);
    int told = 0;
    callback.setImInfoHandler([&](const IMINFO &info) {
        seen = info;
        ++told;
    });
    IMINFO info;
    memset(&info, 0xA5, sizeof info);
    info.fdwFlags = SIPF_DOCKED;
    info.rcSipRect = {0, 264, 640, 480};
    EXPECT_EQ(S_OK, callback.SetImInfo(&info));
    EXPECT_EQ(1, told);
    EXPECT_EQ(0, memcmp(&seen, &info, sizeof info));
    ASSERT_EQ(1u, callback.calls().size());
    const HostCall &call = callback.calls()[0];
    EXPECT_EQ(HostCall::SET_IM_INFO, call.function);
    EXPECT_EQ(DWORD(SIPF_DOCKED), call.flags);
    EXPECT_EQ(264, call.rect.top);
    EXPECT_EQ(640, call.rect.right);

    callback.failCall(1, E_FAIL);
    EXPECT_EQ(E_FAIL, callback.SetImInfo(&info));
    EXPECT_EQ(1, told) << "a refused SetImInfo moves nothing";
}

TEST(HostCallback, CountsReferencesWithoutEverFreeingItself)
{
    HostCallback callback;
    void *out = reinterpret_cast<void *>(0xdeadbeef);
    static const GUID iidUnknown = {0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static const GUID iidOther = {0x12345678, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    EXPECT_EQ(E_NOINTERFACE, callback.QueryInterface(iidOther, &out));
    EXPECT_EQ(nullptr, out) << "the out pointer is cleared on failure";
    EXPECT_EQ(S_OK, callback.QueryInterface(iidUnknown, &out));
    EXPECT_EQ(static_cast<IUnknown *>(&callback), out);
    EXPECT_EQ(1, callback.addRefCount());
    EXPECT_EQ(1u, callback.Release());
    EXPECT_EQ(1u, callback.Release()) << "the host's own reference is never given up";
    EXPECT_EQ(2, callback.releaseCount());
}

TEST(HostCallback, DescribesCallsReadablyForTestMessages)
{
    HostCall call;
    call.function = HostCall::SEND_CHAR_EVENTS;
    call.vk = 0x51;
    call.flags = 0x20000080;
    call.shift = 0x20000080;
    call.chars = u"Q\u00E4";
    EXPECT_EQ("SendCharEvents(vk 0x51, flags 0x20000080, shift 0x20000080, \"Q\\u00e4\")", describeHostCall(call));
}
