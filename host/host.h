// The input-panel host: loads a deliverable, drives its IInputMethod and takes its keys as the
// focused application's text field. Used by the simulator and the conformance tests.
#ifndef KWENO_HOST_HOST_H
#define KWENO_HOST_HOST_H

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "callback.h"
#include <sip.h>
#include "module.h"

// "{91C40DFC-6B41-456F-A2E4-4AA7363198B7}" (braces optional, any letter case) into a CLSID.
bool clsidFromText(const char *text, CLSID *clsid);

// The handheld's screen, upright, as the emulation starts with it and kweno-host.exe shows it.
const int DEVICE_SCREEN_WIDTH = 480;
const int DEVICE_SCREEN_HEIGHT = 640;

// How long a tap's pen stays down, and the pause after its lift: together longer than the panel's
// 75 ms bounce window, so that tapping one key twice types it twice.
const DWORD TAP_DOWN_MS = 30;
const DWORD TAP_GAP_MS = 100;

// One IInputMethod call the host made and what came back.
struct MethodResult {
    std::string method;
    HRESULT result;
};

struct HostOptions {
    // A window at the top of the screen standing for the focused application.
    bool applicationWindow = false;
    // Show the panel at activation even when its flags say it is docked but not on.
    bool alwaysShow = false;
    // A window standing for the device's screen: the host's window becomes its child, and the
    // screen is its client area instead of the display's. Null: the display is the screen.
    HWND screen = nullptr;
    // Told the host window's rectangle each time the host has placed it for the panel.
    std::function<void(const RECT &)> placed;
};

class InputPanelHost {
  public:
    explicit InputPanelHost(const HostOptions &options = HostOptions());
    InputPanelHost(const InputPanelHost &) = delete;
    InputPanelHost &operator=(const InputPanelHost &) = delete;
    // Takes the panel down (Deselect, Release, unload) and destroys the host's windows.
    ~InputPanelHost();

    // ---- the deliverable ----
    // Loads the module (or keeps the one still loaded from this path), gets its class factory for
    // clsid and creates the object for IInputMethod, releasing the factory again. Returns the first
    // failure; error() says which step.
    HRESULT load(const std::string &path, REFCLSID clsid);
    // The same for the module the registry names for the class (serverOfClass), loaded by the
    // platform's LoadLibraryW, as the device's host finds an input method. The emulation on x86-64
    // runs no PE code, so there the load fails after the lookup, error() saying why.
    HRESULT loadClass(REFCLSID clsid);
    // Releases the object (if held) and unloads the module when DllCanUnloadNow allows it; returns
    // what DllCanUnloadNow answered (S_FALSE: the module stays loaded).
    HRESULT unload();
    // Drops the host's reference to the object; returns what Release returned.
    ULONG release();
    PanelModule &module() { return module_; }
    IInputMethod *inputMethod() const { return inputMethod_; }
    const std::string &error() const { return error_; }

    // ---- the device's start-up: the current input method ----
    // What the device's input-panel host does when it starts (at a soft reset): the input method
    // that HKCU\ControlPanel\Sip DefaultIm names, loaded through its class (loadClass) and activated;
    // when the value is missing or no class identifier, names no registered input method (no
    // IsSIPInputMethod "1" under its class), or the module does not load or activate, the device's
    // own input method instead, loaded from ownPath. log() says what it chose and why. Returns how
    // the one it kept activated.
    HRESULT startCurrentInputMethod(const std::string &ownPath, REFCLSID ownClsid);
    // The class of the input method the host started with; its text, as the registry names it.
    const std::string &currentInputMethod() const { return current_; }
    const std::vector<std::string> &log() const { return log_; }

    // ---- the whole start-up and shut-down, as the platform's host does them ----
    // Select, RegisterCallback, GetInfo, window placed at rcSipRect, ReceiveSipInfo, and when the
    // panel is on, the window shown and Showing. Stops at the first failure and returns it.
    HRESULT activate();
    // Hiding (if shown), Deselect.
    HRESULT deactivate();

    // ---- single IInputMethod calls; each result is recorded in results() ----
    HRESULT select();
    HRESULT registerCallback(bool withCallback = true);
    HRESULT getInfo(IMINFO *imInfo);
    // ReceiveSipInfo with the rectangle (and the visible desktop above it).
    HRESULT receiveSipInfo(const RECT &sipRect);
    HRESULT showing();
    HRESULT hiding();
    HRESULT deselect();
    const std::vector<MethodResult> &results() const { return results_; }

    // Shows the host's window and tells the panel (Showing); hides it after Hiding.
    HRESULT show();
    HRESULT hide();
    bool shown() const { return shown_; }

    // ---- windows and screen ----
    HWND window() const { return window_; }
    HWND applicationWindow() const { return appWindow_; }
    // The host's window on the screen.
    RECT windowRect() const;
    // The screen's size: the screen window's client area, or the display's.
    SIZE screenSize() const;
    // The last IMINFO the panel gave (GetInfo or SetImInfo).
    const IMINFO &imInfo() const { return imInfo_; }
    // Turns the screen: the platform sends the display-reset notice and the host forwards it to
    // the panel's windows; the panel's SetImInfo then moves the host's window. A screen window
    // takes the new size first.
    void rotate(int width, int height);

    // ---- the pen, at screen points; time moves on the virtual clock (real time on Windows) ----
    void penDown(int x, int y);
    void penMove(int x, int y);
    void penUp(int x, int y);
    // The pointer passing over a point with no button down, as a mouse does and a stylus never.
    void hover(int x, int y);
    void advance(DWORD ms);
    // Down, 30 ms, up, then 100 ms so that two taps of one key are never taken for a bounce.
    void tap(int x, int y);
    // Down, held for ms, up where it went down.
    void hold(int x, int y, DWORD ms);
    // Down at the first point, a move to each further point every stepMs, up at the last.
    void drag(const std::vector<POINT> &points, DWORD stepMs = 20);
    // Dispatches what is waiting.
    void pump();

    // ---- what the application received ----
    HostCallback &callback() { return callback_; }
    TextField &field() { return callback_.field(); }
    std::string text() const { return callback_.field().utf8(); }
    const std::vector<HostCall> &calls() const { return callback_.calls(); }

    // Called by the host's window procedure.
    LRESULT handleMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    HRESULT createObject(REFCLSID clsid);
    HRESULT recordResult(const char *method, HRESULT hr);
    void createWindows();
    void destroyWindows();
    void placeWindow(const RECT &sipRect);
    void placedForPanel();
    void onImInfo(const IMINFO &imInfo);
    void dockAtBottom();
    void forwardToChildren(UINT msg, WPARAM wParam, LPARAM lParam);

    HostOptions options_;
    PanelModule module_;
    HostCallback callback_;
    IInputMethod *inputMethod_ = nullptr;
    HWND window_ = nullptr;
    HWND appWindow_ = nullptr;
    IMINFO imInfo_;
    bool selected_ = false;
    bool shown_ = false;
    bool inGetInfo_ = false;
    std::vector<MethodResult> results_;
    std::string error_;
    std::string current_;
    std::vector<std::string> log_;
};

#endif // KWENO_HOST_HOST_H
