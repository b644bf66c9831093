// Shared set-up of the window tests: SDL's dummy video driver, the four
// window records, and recorders in place of the boxes and error reports.
#pragma once
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/displays.h"
#include "platform/events.h"
#include "platform/window.h"
#include "shell/shell.h"

namespace winfix {

inline std::vector<std::string> g_Boxes;
inline std::vector<int32_t> g_Errors;
inline std::vector<int> g_ErrorQuit;
inline int g_YesNoAnswer = 1;
inline int g_YesNoAsked = 0;

inline int AskYesNo(PlatWindow*, const char*, const char*) {
  ++g_YesNoAsked;
  return g_YesNoAnswer;
}
inline void Box(const char*, const char* text) { g_Boxes.emplace_back(text ? text : ""); }
inline void Error(int32_t number, int quit) {
  g_Errors.push_back(number);
  g_ErrorQuit.push_back(quit);
  g_QuitRequested = static_cast<uint8_t>(quit);
}

// Installs the recorders, empty: the cases of one process share them.
inline void InstallRecorders() {
  g_Boxes.clear();
  g_Errors.clear();
  g_ErrorQuit.clear();
  g_YesNoAnswer = 1;
  g_YesNoAsked = 0;
  g_WndUi.askYesNo = AskYesNo;
  g_WndUi.box = Box;
  g_WndUi.error = Error;
}

// A 1920 x 1080 display offering a few 32-bit modes.
inline PlatDisplay FakeDisplay(int32_t x = 0) {
  PlatDisplay d;
  d.x = x; d.y = 0; d.w = 1920; d.h = 1080;
  d.workX = x; d.workY = 0; d.workW = 1920; d.workH = 1040;
  d.desktop = {1920, 1080, 32, 60};
  d.modes = {{1920, 1080, 32, 60}, {1280, 720, 32, 60}, {1024, 576, 32, 60},
             {1024, 768, 32, 60}, {800, 600, 32, 60}, {1600, 900, 16, 60}};
  return d;
}

// Headless main window of a logical size, shown, with the screen sizes of a
// fresh start.
inline void Headless() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  // Headless windows need no X server; without one the session bus is not
  // autolaunched through it either.
  unsetenv("DISPLAY");
}

inline WindowRec* MainWindow(int32_t w = 800, int32_t h = 600, bool fakeDisplays = true) {
  Headless();
  if (fakeDisplays) PlatDisplay_SetFake({FakeDisplay()});
  InstallRecorders();
  if (!Plat_VideoInit() || Win_CreateMain() != 0) return nullptr;
  WindowRec* rec = g_WindowRecs[0];
  rec->logicalW = w;
  rec->logicalH = h;
  g_Screen.screenW = g_Screen.shownW = w;
  g_Screen.screenH = g_Screen.shownH = h;
  Wnd_InitObject(rec, "test");
  if (!Win_Create(rec, 1, "main", "test")) return nullptr;
  g_WindowState[0] = 1;
  Plat_SetWndProc(Win_Proc);
  PlatWin_Show(rec->handle);
  return rec;
}

inline void Pump(int turns = 3) {
  for (int i = 0; i < turns; ++i) Plat_PumpEvents();
}

}  // namespace winfix
