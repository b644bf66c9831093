// Displays and their modes, for full screen and the monitor table. Tests can
// replace the host's answer with a fake list (Xvfb offers a single mode).
#pragma once
#include <cstdint>
#include <vector>

struct PlatDisplayMode {
  int32_t width = 0, height = 0, bpp = 32, hz = 60;
};

struct PlatDisplay {
  int32_t x = 0, y = 0, w = 0, h = 0;          // bounds on the desktop
  int32_t workX = 0, workY = 0, workW = 0, workH = 0;  // usable bounds
  PlatDisplayMode desktop;                     // current desktop mode
  std::vector<PlatDisplayMode> modes;          // offered modes
};

// Current list of displays, the primary first; starts SDL video on first use.
// Empty when no display can be opened.
std::vector<PlatDisplay> PlatDisplay_List();
// Display index holding the point, else the nearest one; 0 when none.
int32_t PlatDisplay_AtPoint(int32_t x, int32_t y);

// Fake list for tests: while set, the calls above answer from it, and
// PlatDisplay_SetMode only records the switch (or fails when told to).
void PlatDisplay_SetFake(const std::vector<PlatDisplay>& displays);
void PlatDisplay_ClearFake();
bool PlatDisplay_IsFake();
void PlatDisplay_FailNextModeChange(bool fail);
// Last mode switched to through the fake (0 x 0 after a return to the desktop).
PlatDisplayMode PlatDisplay_FakeCurrentMode();
// Used by the window code's full-screen entry: records or refuses the switch
// while a fake list is set; true when the fake accepts it.
bool PlatDisplay_FakeSwitch(int32_t display, const PlatDisplayMode& mode);
