// The pen on the emulation: pen messages at screen points, time on the virtual clock.
#include "host.h"

#include <emu.h>

void InputPanelHost::penDown(int x, int y)
{
    emuPenDown(x, y);
}

void InputPanelHost::penMove(int x, int y)
{
    emuPenMove(x, y);
}

void InputPanelHost::penUp(int x, int y)
{
    emuPenUp(x, y);
}

void InputPanelHost::hover(int x, int y)
{
    emuHover(x, y);
}

void InputPanelHost::advance(DWORD ms)
{
    emuAdvance(ms);
}

void InputPanelHost::pump()
{
    emuPump();
}
