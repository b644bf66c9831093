// A whole engine run for the tests: a fixture game written into a pack in a
// fresh folder, started with Sys_Startup on SDL's dummy video driver and the
// manual clock, run frame by frame as the message loop would, and shut down.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "files/files.h"
#include "graphics/graphics.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/present.h"
#include "shell/frame.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "support/game_fixture.h"
#include "support/image_writer.h"
#include "support/script_writer.h"
#include "support/test_env.h"
#include "vm/vm.h"

namespace e2e {

using imgfix::Solid;

inline uint32_t Px(uint8_t b, uint8_t g, uint8_t r, uint8_t a = 255) {
  return uint32_t(b) | uint32_t(g) << 8 | uint32_t(r) << 16 | uint32_t(a) << 24;
}

class EngineGame : public fx::GameTest {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Clock_SetManual(true, 100000);
    MsgBox_SetRecorder([this](const MsgBoxRequest& r) {
      boxes.push_back(r.text);
      return MsgBox_DefaultAnswer(r);
    });
    Sys_RegisterCommands();  // the game's command table lists every command
    game.Cfg().width = 160;
    game.Cfg().height = 120;
    game.Cfg().showFirstFrame = 1;
    game.Cfg().title = "e2e";
  }
  void TearDown() override {
    if (started) Boot_Shutdown();
    MsgBox_SetRecorder({});
    Clock_SetManual(false);
  }

  // Writes the game (and `extra` files) as "data.qpf" in the folder, which
  // becomes the executable's folder and the current directory.
  void Install() {
    fx::Files files = game.Build();
    for (const auto& [k, v] : extra) files[k] = v;
    dir.Write("data.qpf", fx::PackImage(files));
    ASSERT_TRUE(Fs_SetCurrentDir(dir.path()));
    Boot_InitPathsFrom(dir.path() + "/tavren");
  }
  int Start() {
    Install();
    started = true;
    return Sys_Startup();
  }
  // One turn of the message loop without the frame thread; false once a
  // frame asked to quit.
  bool Turn() {
    Plat_PumpEvents();
    Main_PollInput();
    if (Main_RunFrame()) {
      App_RequestQuit();
      return false;
    }
    return true;
  }
  int Frames(int n) {
    int done = 0;
    while (done < n && Turn()) ++done;
    return done;
  }
  // What the main window shows (its canvas), as BGRA words.
  std::vector<uint32_t> Shown(int32_t* w, int32_t* h) {
    std::vector<uint32_t> px;
    WindowRec* rec = g_WindowRecs[0];
    if (!rec || !rec->handle || !PlatPresent_ReadCanvas(rec->handle, &px, w, h)) px.clear();
    return px;
  }
  static LayerImage* Root() {
    WindowRec* rec = g_WindowRecs[0];
    return rec ? Layer_Record(rec->layerSet) : nullptr;
  }
  static uint32_t RootPx(int x, int y) {
    LayerImage* r = Root();
    uint32_t v;
    std::memcpy(&v, r->pixels + (size_t(y) * r->width + size_t(x)) * 4, 4);
    return v;
  }

  TempDir dir;
  fx::Files extra;
  std::vector<std::string> boxes;
  bool started = false;
};

// Channels of two BGRA words differ by at most `tol`.
inline bool Near(uint32_t a, uint32_t b, int tol) {
  for (int s = 0; s < 32; s += 8) {
    int d = int((a >> s) & 255) - int((b >> s) & 255);
    if (d > tol || d < -tol) return false;
  }
  return true;
}

}  // namespace e2e
