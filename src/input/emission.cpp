// Sending keys to the host: taps with the bounce test, and auto-repeat key-downs and key-ups.
#include "input.h"

#include "../model/panelstate.h"

// Key-event flags and key-state words, in the platform's names.
static const DWORD VIRTUAL_DOWN = KEYEVENTF_SILENT;
static const DWORD VIRTUAL_UP = KEYEVENTF_KEYUP | KEYEVENTF_SILENT;

static UINT downWord(const KeyRecord *key)
{
    return (key->flags & KEY_SHIFTED) ? (UINT)(KeyShiftAnyShiftFlag | KeyStateDownFlag) : (UINT)KeyStateDownFlag;
}

static UINT upWord(const KeyRecord *key)
{
    UINT word = KeyShiftNoCharacterFlag | KeyStatePrevDownFlag;
    return (key->flags & KEY_SHIFTED) ? word | (UINT)KeyShiftAnyShiftFlag : word;
}

// The host takes the character by address; the tables are never written through it.
static UINT *characterOf(const KeyRecord *key)
{
    return const_cast<UINT *>(&key->character);
}

// A key that comes while no callback is registered goes nowhere; for the caller it is a key the
// host refused, so that nothing builds on it having been typed.
static HRESULT sendVirtual(const KeyRecord *key, DWORD flags)
{
    if (!panel.hostCallback)
        return E_FAIL;
    return panel.hostCallback->SendVirtualKey(key->vk, flags);
}

static HRESULT sendCharacter(const KeyRecord *key, UINT word)
{
    if (!panel.hostCallback)
        return E_FAIL;
    // The shift-state array is the key-state word itself.
    return panel.hostCallback->SendCharEvents(key->vk, word, 1, &word, characterOf(key));
}

LONG sendKeyTap(const KeyRecord *key)
{
    if (!key)
        return -1;

    DWORD now = GetTickCount();
    // Unsigned difference, so that a tick count wrapping past 2^32 between two taps is harmless.
    if (panel.lastTapKey && panel.lastTapKey == key && now - panel.lastTapTime < BOUNCE_MILLISECONDS) {
        panel.lastTapTime = now;
        return 0;
    }
    panel.lastTapTime = now;
    panel.lastTapKey = key;

    HRESULT result;
    if (key->flags & KEY_VIRTUAL) {
        result = sendVirtual(key, VIRTUAL_DOWN);
        if (FAILED(result))
            return result;
        return sendVirtual(key, VIRTUAL_UP);
    }
    result = sendCharacter(key, downWord(key));
    if (FAILED(result))
        return result;
    return sendCharacter(key, upWord(key));
}

static bool heldKeyRepeats()
{
    return panel.heldKey && (panel.heldKey->flags & KEY_REPEAT);
}

void sendRepeatKeyDown()
{
    if (!heldKeyRepeats())
        return;
    const KeyRecord *key = panel.heldKey;
    if (key->flags & KEY_VIRTUAL) {
        sendVirtual(key, VIRTUAL_DOWN);
    } else {
        UINT word = downWord(key);
        // A long-held backspace deletes words: the control bit from the 21st repeat on.
        if (panel.repeatCount >= REPEATS_BEFORE_CONTROL && key->vk == VK_BACK)
            word |= KeyShiftAnyCtrlFlag;
        sendCharacter(key, word);
    }
    if (panel.repeatCount < REPEATS_BEFORE_CONTROL)
        ++panel.repeatCount;
}

void sendRepeatKeyUp()
{
    if (!heldKeyRepeats())
        return;
    const KeyRecord *key = panel.heldKey;
    if (key->flags & KEY_VIRTUAL)
        sendVirtual(key, VIRTUAL_UP);
    else
        sendCharacter(key, upWord(key));
}
