// Pen gestures made of the platform's pen primitives: tap, hold and drag.
#include "host.h"

// How long a tap's pen stays down, and the pause after it: together longer than the panel's
// 75 ms bounce window, so that tapping one key twice types it twice.
static const DWORD tapDownMs = 30;
static const DWORD tapGapMs = 100;

void InputPanelHost::tap(int x, int y)
{
    penDown(x, y);
    advance(tapDownMs);
    penUp(x, y);
    advance(tapGapMs);
}

void InputPanelHost::hold(int x, int y, DWORD ms)
{
    penDown(x, y);
    advance(ms);
    penUp(x, y);
}

void InputPanelHost::drag(const std::vector<POINT> &points, DWORD stepMs)
{
    if (points.empty())
        return;
    penDown(points.front().x, points.front().y);
    for (size_t i = 1; i < points.size(); ++i) {
        advance(stepMs);
        penMove(points[i].x, points[i].y);
    }
    advance(stepMs);
    penUp(points.back().x, points.back().y);
}
