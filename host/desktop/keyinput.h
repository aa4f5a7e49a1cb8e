// The panel's keys as input of the focused application on the desktop.
#ifndef KWENO_HOST_DESKTOP_KEYINPUT_H
#define KWENO_HOST_DESKTOP_KEYINPUT_H

#include <windows.h>

#include "callback.h"

// Injects one key call of the panel as keyboard input, which the system delivers to whichever
// window has the focus, in order with everything else the user types: SendVirtualKey as that
// key going down or up; each character of SendCharEvents going down or up, with the shift and
// control keys held around it when its key-state word says so.
void injectKeyCall(const HostCall &call);

// What the message loop does with a message before translating it: a backspace that goes down
// with the control key held deletes the word before the caret of the edit control it is meant
// for, as the panel means it (a desktop edit control would type a character for it). True when
// the message was taken and must not be translated or dispatched.
bool takeWordDelete(const MSG &msg);

#endif // KWENO_HOST_DESKTOP_KEYINPUT_H
