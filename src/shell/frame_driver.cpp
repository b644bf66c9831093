// Main_RunFrame: one frame of the engine, in its fixed order. Runs on the
// main thread, or on the frame thread when the engine configuration asks for
// one; everything it touches besides the input sample and the screen buffer
// (both handed over under their locks) belongs to that thread.
#include "graphics/graphics.h"
#include "media/movie_player.h"
#include "platform/events.h"
#include "platform/present.h"
#include "platform/window.h"
#include "render/render.h"
#include "shell/frame.h"
#include "shell/menu.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "vm/vm.h"

std::atomic<uint64_t> g_FrameCounter{0};
std::atomic<uint8_t> g_FrameHold{0};
uint8_t g_FrameSkip = 0;
std::atomic<uint8_t> g_RedrawCountdown{0};
std::atomic<uint8_t> g_PopupMenuSet{0};

namespace {

bool g_MainShown = false;  // the main window is shown after the first frame
bool g_MovieGated = false;  // the last frame left the screen to a movie

// Drawing is gated by the previous frame's pacing and by a playing movie,
// which shows its own pictures over window 0.
bool DrawingAllowed() { return !g_FrameSkip && !Movie_CoversScreen(); }

// Asks every window for a full re-present: their roots count as changed
// over the whole picture, and the present step below shows them.
void RedrawAllWindows() {
  for (WindowRec* rec : g_WindowRecs) {
    if (!rec || !rec->layerSet) continue;
    if (LayerImage* root = Layer_Record(rec->layerSet)) {
      root->drawBox[0] = root->drawBox[1] = 0;
      root->drawBox[2] = int64_t(root->width) - 1;
      root->drawBox[3] = int64_t(root->height) - 1;
      root->subtreeDirty = 1;
    }
  }
}

int ComposeWindows() {
  for (WindowRec* rec : g_WindowRecs) {
    if (!rec) continue;
    CompWindow w;
    w.index = rec->index;
    w.root = rec->layerSet;
    w.showAtFirstFrame = rec->showAtFirstFrame;
    w.presented = &rec->presented;
    if (Comp_DrawWindow(w) != 0) return 1;
  }
  return 0;
}

// Window calls belong to the main thread; the frame thread hands it over.
void ShowMainWindowOnce() {
  if (g_MainShown) return;
  g_MainShown = true;
  WindowRec* rec = g_WindowRecs[0];
  if (!rec || rec->showAtFirstFrame != 1) return;
  {
    // The main thread clears the handle under this lock when it destroys
    // the window.
    auto windows = PlatPresent_LockWindows();
    if (!rec->handle) return;
  }
  // The handle is looked up when the call runs: the window may be gone by
  // then (a close taken in the same turn of the pump).
  auto show = [] {
    WindowRec* r = g_WindowRecs[0];
    if (r && r->handle) PlatWin_Show(r->handle);
  };
  if (Plat_IsMainThread()) show();
  else Plat_RunOnMain(show);
}

int PresentWindows() {
  for (WindowRec* rec : g_WindowRecs)
    if (rec && Present_Window(rec) != 0) return 1;
  Frame_CountTick();
  if (Frame_ScreenshotWanted()) Frame_KeepShownFrame();
  Comp_ResetDirtyTree(g_TreeRoots[kTreeLayer].root);
  return 0;
}

}  // namespace

void Frame_ResetDriver() {
  g_MainShown = false;
  g_MovieGated = false;
  g_FrameSkip = 0;
}

int Main_RunFrame() {
  g_FrameCounter += 1;
  if (g_FrameHold) return 0;
  if (g_QuitRequested) return 1;
  Win_TakePendingRedraws();
  if (g_RedrawCountdown) {
    g_RedrawCountdown -= 1;
    RedrawAllWindows();
  }
  Input_UpdateFrame();
  // Vm_RunFramePasses clears g_VmPassAgain, counts the pass and runs the
  // task root again while a command asks for it, stopping at a quit.
  Vm_RunFramePasses();
  if (g_QuitRequested) return 1;
  Cg_CommitPendingState(g_TreeRoots[kTreeLayer].root);
  Movie_PresentFrame();
  // Once a movie stops covering the screen every window is drawn whole
  // again, over the movie's last picture.
  bool gated = Movie_CoversScreen();
  if (g_MovieGated && !gated) RedrawAllWindows();
  g_MovieGated = gated;
  if (DrawingAllowed() && ComposeWindows()) return 1;
  ShowMainWindowOnce();
  uint8_t pendingSkip = uint8_t(Frame_WaitNext());
  Screen_UpdateFullScreenMenu();
  if (DrawingAllowed() && PresentWindows()) return 1;
  Menu_RunPendingPopup();
  g_FrameSkip = pendingSkip;
  return g_QuitRequested;
}
