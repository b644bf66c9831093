// Block commands inside a called routine act only on the routine's own
// blocks, and LOOP evaluates its own count whatever kind the game's command
// table gives that argument.
#include <gtest/gtest.h>

#include <functional>

#include "scene_testutil.h"

namespace {

// Main opens an IF and a LOOP, then calls "r"; `routine` fills r.
int RunRoutine(const std::function<void(fx::Scene&)>& routine, ErrCapture* log) {
  g_QuitRequested = 0;
  fx::Game g;
  g.IntVar(1000);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  s.If(fx::Int(1));
  s.Loop(fx::Int(1));
  s.Call("r");
  s.Let(fx::Var(1000), fx::Int(1));
  s.EndLoop();
  s.EndIf();
  EndWithWait(s);
  s.Label("r");
  routine(s);
  s.Return();
  int rc = LoadGame(g);
  if (rc == 0) RunFrames(1);
  (void)log;
  return rc;
}

TEST(FlowRoutine, BlockCommandsRefuseTheCallersBlocks) {
  struct Case {
    const char* what;
    std::function<void(fx::Scene&)> body;
  } cases[] = {
      {"46 end of branch", [](fx::Scene& s) { s.Raw(46); }},
      {"11 plain else", [](fx::Scene& s) { s.Raw(11); }},
      {"49 end of block", [](fx::Scene& s) { s.Raw(49); }},
      {"59 end of loop", [](fx::Scene& s) { s.Raw(59); }},
  };
  for (const Case& c : cases) {
    ErrCapture log;
    ASSERT_EQ(RunRoutine(c.body, &log), 0) << c.what;
    EXPECT_TRUE(log.Has(101300)) << c.what << " reported " << log.First();
    EXPECT_EQ(IntVar(1000), 0) << c.what;
    Script_FreeAll();
  }
}

TEST(FlowRoutine, RoutinesOwnBlocksStillWork) {
  ErrCapture log;
  ASSERT_EQ(RunRoutine(
                [](fx::Scene& s) {
                  s.If(fx::Int(0));
                  s.Else();
                  s.Loop(fx::Int(2));
                  s.EndLoop();
                  s.EndIf();
                },
                &log),
            0);
  EXPECT_TRUE(log.Empty()) << log.First();
  EXPECT_EQ(IntVar(1000), 1);
  Script_FreeAll();
}

TEST(FlowRoutine, LoopCountIsEvaluatedByTheLoopWhateverTheTableKind) {
  for (uint8_t kind : {0, 1, 2}) {
    g_QuitRequested = 0;
    fx::Game g;
    g.IntVar(1000);
    fx::Scene& s = g.Scene(0);
    s.Label("SYSTEM_START");
    s.Loop(fx::Int(3));
    s.Let(fx::Var(1000), fx::Int(1), fx::kOpAdd);
    s.EndLoop();
    EndWithWait(s);
    ErrCapture log;
    ASSERT_EQ(LoadGame(g), 0);
    g_CmdTable.argKinds[56][0] = kind;
    RunFrames(1);
    EXPECT_EQ(IntVar(1000), 3) << "kind " << int(kind);
    EXPECT_TRUE(log.Empty()) << log.First();
    Script_FreeAll();
  }
}

}  // namespace
