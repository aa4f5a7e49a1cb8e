// Keyboard surface: geometry and layout selection, painting, hit testing.
#ifndef KWENO_SURFACE_H
#define KWENO_SURFACE_H

#include <windows.h>

#include "../model/keyboard.h"

// Orientation and panel rectangle from the screen's shape and the host window; then the layout.
void updateGeometry();
// Points currentLayout and currentRowBounds at the layout of mode and orientation.
void selectLayout();

// The two pictures of a face pair.
enum FacePicture { NORMAL_FACE, PRESSED_FACE };
// Makes sure the face pair of the current mode and orientation is loaded and selects one of its
// pictures into faceDC.
void selectFace(FacePicture picture);
// Draws the keyboard into dc, limited to updateRect (keyboard-window coordinates).
void paintKeyboard(HDC dc, const RECT *updateRect);
// Paints the whole keyboard through the keyboard window's own DC.
void repaintKeyboard();
// Clears every pressed mark of all eight layouts and the pressed count.
void clearPressedKeys();

// The key of the current layout under the point (rect->left, rect->top), or null. A hit rewrites
// rect as the key's inclusive rectangle; a miss leaves it untouched.
KeyRecord *hitTest(RECT *rect);

// Whether a layout y lies on the keyboard's rows.
bool insideRows(LONG y);

#endif // KWENO_SURFACE_H
