// Every command number 0..118 with the handler the engine runs for it: the
// numbers no part of the engine defines are exactly the ones left to
// Cmd_Unknown.
#include <gtest/gtest.h>

#include <set>

#include "scene_testutil.h"
#include "shell/startup.h"

namespace {

TEST(SchemaTable, EveryNumberHasItsHandler) {
  // Schema names by number; "" marks a number no part of the engine defines.
  const char* kNames[kCmdCount] = {
      "nop", "cg", "cgop", "cgdel", "query", "clipset", "clipget", "nop7", "texttable", "empty9",
      "dialog", "elseif", "emote", "emotevalue", "end", "cmdflags", "nop16", "", "", "",
      "", "file", "filequery", "flash", "flashclose", "flashvalue", "dimf", "textstyle", "textget",
      "framerate", "", "", "", "", "", "", "", "", "", "", "", "", "", "jump", "call", "if",
      "ifskip", "ifbreak", "ifretest", "endif", "inputopt", "dim", "empty52", "labelexists", "let",
      "saveread", "loop", "loopbreak", "loopnext", "loopend", "", "math", "arrayformula", "menu63",
      "menu64", "menu65", "menu66", "nop67", "nop68", "nop69", "cursor70", "movie",
      "movieclose", "movievalue", "nop74", "empty75", "regread", "return", "empty78", "msgend",
      "empty80", "empty81", "empty82", "", "savedata", "savefree", "nop86", "snd",
      "snddel", "sndget", "dims", "settings", "scriptinfo", "taskstart", "taskend",
      "taskquery", "msg", "msgget", "icon98", "nop99", "strarray", "varinfo", "wait", "window",
      "windowhide", "windowinfo", "msgtext", "frameload", "framefree", "frameinfo", "msgprint",
      "", "", "", "sysfunc", "", "", "", "",
  };
  static_assert(sizeof kNames / sizeof kNames[0] == kCmdCount);
  Sys_RegisterCommands();
  CmdHandler h[kCmdCount];
  CmdSchema_FillHandlers(h);
  std::set<int> unknown;
  for (int n = 0; n < kCmdCount; ++n) {
    std::string want = kNames[n];
    const CmdSchemaEntry* e = CmdSchema_Get(n);
    if (want.empty()) {
      unknown.insert(n);
      EXPECT_EQ(h[n], &Cmd_Unknown) << n;
      continue;
    }
    // "*": a command of a subsystem built apart (menus, cursor, movies,
    // tray icon); once registered it must have a handler of its own.
    if (want[0] == '*') {
      if (e) {
        EXPECT_NE(h[n], &Cmd_Unknown) << n;
      }
      continue;
    }
    ASSERT_NE(e, nullptr) << n << " " << want;
    EXPECT_EQ(std::string(e->name), want) << n;
    EXPECT_NE(h[n], &Cmd_Unknown) << n << " " << want;
  }
  const std::set<int> undefined = {17, 18, 19, 20, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40,
                                   41, 42, 60, 83, 111, 112, 113, 115, 116, 117, 118};
  EXPECT_EQ(unknown, undefined);
}

// The argument-only commands fetch (so their checks apply) and go on.
TEST(SchemaTable, ArgumentOnlyCommandsGoOn) {
  g_QuitRequested = 0;
  fx::Game g;
  g.IntVar(1000);
  fx::Scene& s = g.Scene(0);
  s.Label("SYSTEM_START");
  for (const char* name : {"nop7", "nop16", "nop67", "nop68", "nop69", "nop74", "nop86", "nop99"})
    s.Cmd(name);
  s.Let(fx::Var(1000), fx::Int(1));
  EndWithWait(s);
  ErrCapture log;
  ASSERT_EQ(LoadGame(g), 0);
  RunFrames(1);
  EXPECT_TRUE(log.Empty()) << log.First();
  EXPECT_EQ(IntVar(1000), 1);
  Script_FreeAll();
}

}  // namespace
