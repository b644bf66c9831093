// Starting programs with an argument vector, a working folder, waited or
// detached; the editor lookup.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/editor.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "support/test_env.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(ProcSpawn, WaitedExitCodesAndArguments) {
  EXPECT_EQ(Proc_Spawn({"sh", "-c", "exit 7"}, {"", true}), 7);
  EXPECT_EQ(Proc_Spawn({"true"}, {"", true}), 0);
  EXPECT_EQ(Proc_Spawn({"/no/such/program"}, {"", true}), -1);
  EXPECT_EQ(Proc_Spawn({}, {"", true}), -1);
  TempDir dir;
  // Spaces, quotes and shell characters reach the program untouched.
  EXPECT_EQ(Proc_Spawn({"sh", "-c", "printf '%s|' \"$@\" > out.txt", "x", "a b", "\"q\"", "$(no)"},
                       {dir.path(), true}),
            0);
  EXPECT_EQ(ReadAll(dir.path() + "/out.txt"), "a b|\"q\"|$(no)|");
  EXPECT_EQ(Proc_Spawn({"true"}, {dir.path() + "/missing", true}), -1);
}

TEST(ProcSpawn, DetachedProgramRunsOnItsOwn) {
  TempDir dir;
  ASSERT_EQ(Proc_Spawn({"sh", "-c", "echo done > mark.tmp && mv mark.tmp mark"}, {dir.path()}), 0);
  std::string got;
  for (int i = 0; i < 500 && got.empty(); ++i) {
    got = ReadAll(dir.path() + "/mark");
    if (got.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(got, "done\n");
}

TEST(ProcCapture, OutputAndFailure) {
  std::string out;
  EXPECT_TRUE(Proc_Capture({"echo", "hello"}, &out));
  EXPECT_EQ(out, "hello\n");
  EXPECT_FALSE(Proc_Capture({"sh", "-c", "echo x; exit 3"}, &out));
  EXPECT_FALSE(Proc_Capture({"/no/such/program"}, &out));
}

TEST(TextEditor, EnvironmentAndDesktopEntry) {
  setenv("VISUAL", "myedit --wait", 1);
  EXPECT_EQ(Sys_FindTextEditor(), (std::vector<std::string>{"myedit", "--wait"}));
  unsetenv("VISUAL");
  setenv("EDITOR", "nano", 1);
  EXPECT_EQ(Sys_FindTextEditor(), std::vector<std::string>{"nano"});
  unsetenv("EDITOR");

  const char* desktop =
      "[Desktop Entry]\nName=Text\nExec=\"/opt/My Editor/edit\" --new-window %F\n"
      "[Desktop Action x]\nExec=other\n";
  EXPECT_EQ(Sys_ParseDesktopExec(desktop),
            (std::vector<std::string>{"/opt/My Editor/edit", "--new-window"}));
  EXPECT_TRUE(Sys_ParseDesktopExec("[Desktop Action x]\nExec=other\n").empty());

  // The desktop's default for text, found through xdg-mime when present.
  TempDir dir;
  dir.Write("bin/xdg-mime", "#!/bin/sh\necho test-editor.desktop\n");
  dir.Write("data/applications/test-editor.desktop", "[Desktop Entry]\nExec=gedit %U\n");
  ASSERT_EQ(std::system(("chmod +x '" + dir.path() + "/bin/xdg-mime'").c_str()), 0);
  std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (dir.path() + "/bin:" + oldPath).c_str(), 1);
  setenv("XDG_DATA_HOME", (dir.path() + "/data").c_str(), 1);
  setenv("XDG_DATA_DIRS", (dir.path() + "/none").c_str(), 1);
  EXPECT_EQ(Sys_FindTextEditor(), std::vector<std::string>{"gedit"});
  setenv("PATH", oldPath.c_str(), 1);
}

TEST(TextEditor, TerminalEditorsAreKnown) {
  EXPECT_TRUE(Sys_IsTerminalEditor("vim"));
  EXPECT_TRUE(Sys_IsTerminalEditor("/usr/bin/nano"));
  EXPECT_FALSE(Sys_IsTerminalEditor("gedit"));
  EXPECT_FALSE(Sys_IsTerminalEditor("/opt/vim-gtk/gvim"));
}

}  // namespace
