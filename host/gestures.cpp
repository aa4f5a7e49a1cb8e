// Pen gestures made of the platform's pen primitives: tap, hold and drag.
#include "host.h"

void InputPanelHost::tap(int x, int y)
{
    penDown(x, y);
    advance(TAP_DOWN_MS);
    penUp(x, y);
    advance(TAP_GAP_MS);
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
