// The panel's keys as input of the focused application: SendInput events, and the word deletion
// that a control-backspace means.
#include "keyinput.h"

#include <string>
#include <vector>

#include "textfield.h"

static INPUT keyEvent(WORD vk, WORD scan, DWORD flags)
{
    INPUT input;
    ZeroMemory(&input, sizeof input);
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = scan;
    input.ki.dwFlags = flags;
    return input;
}

// The control characters that an edit control takes from their own keys; every other character
// goes as itself, whatever keyboard layout the desktop has.
static WORD keyOfCharacter(UINT character)
{
    switch (character) {
    case 0x08:
        return VK_BACK;
    case 0x09:
        return VK_TAB;
    case 0x0D:
        return VK_RETURN;
    case 0x1B:
        return VK_ESCAPE;
    default:
        return 0;
    }
}

static void addCharacter(std::vector<INPUT> &events, UINT character, DWORD keyState)
{
    bool down = (keyState & KeyStateDownFlag) && !(keyState & KeyShiftNoCharacterFlag);
    bool shift = (keyState & KeyShiftAnyShiftFlag) != 0;
    bool control = (keyState & KeyShiftAnyCtrlFlag) != 0;
    if (shift)
        events.push_back(keyEvent(VK_SHIFT, 0, 0));
    if (control)
        events.push_back(keyEvent(VK_CONTROL, 0, 0));
    DWORD up = down ? 0 : KEYEVENTF_KEYUP;
    WORD vk = keyOfCharacter(character);
    if (vk)
        events.push_back(keyEvent(vk, 0, up));
    else
        events.push_back(keyEvent(0, static_cast<WORD>(character), KEYEVENTF_UNICODE | up));
    if (control)
        events.push_back(keyEvent(VK_CONTROL, 0, KEYEVENTF_KEYUP));
    if (shift)
        events.push_back(keyEvent(VK_SHIFT, 0, KEYEVENTF_KEYUP));
}

void injectKeyCall(const HostCall &call)
{
    std::vector<INPUT> events;
    switch (call.function) {
    case HostCall::SEND_VIRTUAL_KEY:
        // KEYEVENTF_SILENT is the device's; on the desktop the same bit means something else.
        events.push_back(keyEvent(static_cast<WORD>(call.vk), 0, (call.flags & KEYEVENTF_KEYUP) ? KEYEVENTF_KEYUP : 0));
        break;
    case HostCall::SEND_CHAR_EVENTS:
        // The panel sends one character a call; each goes with the call's key-state word.
        for (char16_t c : call.chars)
            addCharacter(events, c, call.shift);
        break;
    case HostCall::SEND_STRING:
        for (char16_t c : call.chars) {
            addCharacter(events, c, KeyStateDownFlag);
            addCharacter(events, c, KeyStatePrevDownFlag | KeyShiftNoCharacterFlag);
        }
        break;
    case HostCall::SET_IM_INFO:
        break;
    }
    if (!events.empty())
        SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
}

static bool isEditControl(HWND window)
{
    WCHAR name[16];
    return GetClassNameW(window, name, 16) && lstrcmpiW(name, L"Edit") == 0;
}

static void deleteWordBeforeCaret(HWND edit)
{
    int length = GetWindowTextLengthW(edit);
    std::vector<WCHAR> buffer(length + 1);
    GetWindowTextW(edit, buffer.data(), length + 1);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start == end) {
        // The host's own text field knows where a word begins; the edit control is told the span.
        TextField field;
        field.setText(std::u16string(buffer.begin(), buffer.begin() + length));
        field.setCursor(start);
        field.deleteWordBack();
        start = static_cast<DWORD>(field.cursor());
        SendMessageW(edit, EM_SETSEL, start, end);
    }
    // A selection goes as a backspace would take it.
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
}

bool takeWordDelete(const MSG &msg)
{
    if (msg.message != WM_KEYDOWN || msg.wParam != VK_BACK || !(GetKeyState(VK_CONTROL) & 0x8000) ||
        !isEditControl(msg.hwnd))
        return false;
    deleteWordBeforeCaret(msg.hwnd);
    return true;
}
