// The base of the test fixtures that run a whole fixture game: the game
// being written, its first scene opening with the start label, and the idle
// loop a script parks in once it has done its work.
#pragma once
#include <gtest/gtest.h>

#include "support/script_writer.h"

namespace fx {

class GameTest : public ::testing::Test {
 protected:
  // Scene 0, with the start label placed before its first instruction.
  Scene& Main() {
    Scene& s = game.Scene(0);
    if (s.Pc() == 0 && s.Labels().empty()) s.Label("SYSTEM_START");
    return s;
  }
  // An endless loop that waits one frame a turn, so the game keeps running.
  static void Idle(Scene& s) {
    s.Label("idle");
    s.Cmd("wait", {{"frames", Int(1)}});
    s.Jump("idle");
  }

  // Writes the game, adds `extra` beside it, hands both to the engine as
  // the compiler's files and loads the script data the way the start-up
  // does (scene key, system trees). False after a failed expectation.
  bool LoadGameFiles(const Files& extra = {});
  // The same, then gives the layer tree's root a w x h canvas.
  bool LoadGameWithCanvas(const Files& extra, int w, int h);
  // VM passes of `n` frames, fewer once the quit flag is set.
  static void RunGameFrames(int n);

  Game game;
};

}  // namespace fx
