// Rectangles as text, so that a failing comparison shows all four edges: "{0, 388, 480, 640}".
#ifndef KWENO_TESTS_RECTS_H
#define KWENO_TESTS_RECTS_H

#include <string>

#include <windows.h>

inline std::string rectText(const RECT &r)
{
    return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + "}";
}

#endif // KWENO_TESTS_RECTS_H
