// Window shapes, stacking order and attention flashing: what the window
// commands ask of a window beyond SDL's own calls. Shapes and restacking go
// through X11 (the Shape extension, the stacking requests); on other video
// drivers they are not available and the calls say so.
//
// Main thread only, like every window call.
#pragma once
#include <cstdint>
#include <vector>

struct PlatWindow;

struct PlatShapeRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
};

// Gives the window the union of the rectangles (client coordinates) as its
// shape; false when the driver has no shapes.
bool PlatWin_SetShape(PlatWindow* w, const std::vector<PlatShapeRect>& rects);

enum class PlatStack : uint8_t { Top, Bottom, Below };
// Moves the window to the top or bottom of the stack, or just below `other`,
// without activating it; false when the driver cannot restack.
bool PlatWin_Restack(PlatWindow* w, PlatStack where, PlatWindow* other = nullptr);

// Asks for the user's attention (the taskbar entry flashes or is marked);
// false when the driver cannot.
bool PlatWin_Flash(PlatWindow* w);
