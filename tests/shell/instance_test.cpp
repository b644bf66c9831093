// Single instance with two real processes: a second start of the same
// executable asks the running copy to the front and ends with 0.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/fs.h"
#include "platform/instance.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "support/process_env.h"
#include "support/test_env.h"

namespace {

constexpr char kRoleVar[] = "TAVREN_TEST_ROLE";

// The exit code of a second copy that met the machine-wide start lock held
// by another program starting at that moment: it left without asking, and
// the parent tries again.
constexpr int kStartLockBusy = 44;

// Runs this test program again as the second copy; returns its exit code.
int RunSecondCopy(const char* test, const std::string& exe) {
  pid_t pid = fx::SpawnWithEnv({exe, std::string("--gtest_filter=") + test},
                               {std::string(kRoleVar) + "=second"});
  if (pid < 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs second copies until one asks this process to the front: the start
// lock is machine-wide, and a copy that met it held by another test program
// at that moment ended without asking. Every copy that asked must end
// with 0.
bool SecondCopyAsksToTheFront(const char* test = "InstanceChild.SecondCopy",
                              const std::string& exe = Fs_ExePath()) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    const int code = RunSecondCopy(test, exe);
    if (code == kStartLockBusy) {
      usleep(50000);
      continue;
    }
    EXPECT_EQ(code, 0);
    for (int i = 0; i < 100; ++i) {
      if (Boot_PollFrontRequest()) return true;
      usleep(10000);
    }
  }
  return false;
}

// The body of the second copy: the real entry sequence, then its exit code.
TEST(InstanceChild, SecondCopy) {
  const char* role = std::getenv(kRoleVar);
  if (!role || std::string(role) != "second") GTEST_SKIP() << "runs only as a child";
  char* argv[] = {const_cast<char*>("tavren"), nullptr};
  // A second copy that wrongly went on would end with 42.
  int code = Boot_Run(1, argv);
  // Only the start lock ends it before its paths are known.
  _exit(code != 0 ? 43 : g_ModulePath.empty() ? kStartLockBusy : g_AppRunning ? 42 : 0);
}

// The second copy of a loose-file game, run until the folder lock: it must
// stop there (the last start-up step it ran) with exit code 0. It ends with
// 44 when it ran no step at all (see kStartLockBusy).
std::string g_LastStep;
TEST(InstanceChild, SecondCopyInTheFolder) {
  const char* role = std::getenv(kRoleVar);
  if (!role || std::string(role) != "second") GTEST_SKIP() << "runs only as a child";
  g_StartupTraceHook = [](const char* step) { g_LastStep = step; };
  char* argv[] = {const_cast<char*>("tavren"), nullptr};
  int code = Boot_Run(1, argv);
  _exit(code != 0                 ? 43
        : g_LastStep.empty()        ? kStartLockBusy
        : g_LastStep == "folderlock" ? 0
                                    : 42);
}

// The running copy holds only the folder lock (it gave up the instance
// lock once it had it): the second copy takes the instance lock, stops at
// the folder lock, and its front request reaches the running copy.
TEST(Instance, SecondCopyInTheFolderReachesTheRunningCopy) {
  // A folder of its own (a hard link of this program), so the other
  // instance tests running beside it never meet its locks.
  const std::string folder = std::string(TEST_BINARY_DIR) + "/instance-folder-" + std::to_string(getpid());
  const std::string exe = folder + "/test_shell";
  std::filesystem::create_directories(folder);
  std::string why;
  ASSERT_TRUE(fx::PlaceProgram(Fs_ExePath(), exe, &why)) << why;
  Boot_InitPathsFrom(exe);
  ASSERT_EQ(Boot_TakeInstanceLock(), 1);
  ASSERT_TRUE(Boot_TakeFolderLock());
  EXPECT_FALSE(Boot_PollFrontRequest());
  EXPECT_TRUE(SecondCopyAsksToTheFront("InstanceChild.SecondCopyInTheFolder", exe));
  Boot_ReleaseMutexes();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
}

TEST(Instance, SecondCopyEndsAndFirstReceivesFrontRequest) {
  Boot_InitPaths();
  ASSERT_EQ(Boot_TakeInstanceLock(), 1);
  EXPECT_FALSE(Boot_PollFrontRequest());
  EXPECT_TRUE(SecondCopyAsksToTheFront());
  Boot_ReleaseMutexes();
}

TEST(Instance, CopyElsewhereRunsBeside) {
  // Another path gives another instance name: both hold their locks. (The
  // names carry this process's id so parallel test runs never meet.)
  const std::string dir = "/elsewhere-" + std::to_string(getpid());
  Boot_InitPathsFrom(dir + "/first/tavren");
  ASSERT_EQ(Boot_TakeInstanceLock(), 1);
  Boot_InitPathsFrom(dir + "/second/tavren");
  InstanceLock::Result r;
  EXPECT_TRUE(InstanceLock::Acquire(g_InstanceName, &r));  // a copy elsewhere runs
  // The first path again, in other letter case, is the same instance.
  Boot_InitPathsFrom(dir + "/FIRST/Tavren");
  EXPECT_EQ(Boot_TakeInstanceLock(), 0);
  EXPECT_TRUE(Boot_PollFrontRequest());  // and its holder was asked to the front
  Boot_ReleaseMutexes();
}

TEST(Instance, FolderLockReplacesInstanceLock) {
  Boot_InitPathsFrom("/tmp/folder-lock-test-" + std::to_string(getpid()) + "/tavren");
  ASSERT_EQ(Boot_TakeInstanceLock(), 1);
  ASSERT_TRUE(Boot_TakeFolderLock());
  // The instance lock was released: the same path can take it again.
  EXPECT_EQ(Boot_TakeInstanceLock(), 1);
  Boot_ReleaseMutex(1);
  Boot_InitPathsFrom("/tmp/folder-lock-test-" + std::to_string(getpid()) + "/other");
  EXPECT_FALSE(Boot_TakeFolderLock());  // the folder is held
  Boot_ReleaseMutexes();
}

TEST(BootRestart, StartsTheProgramAgainWithoutArguments) {
  TempDir dir;
  const std::string mark = dir.path() + "/mark";
  dir.Write("My Game/run", "#!/bin/sh\necho \"$#\" > '" + mark + ".tmp'; mv '" + mark +
                              ".tmp' '" + mark + "'\n");
  ASSERT_EQ(std::system(("chmod +x '" + dir.path() + "/My Game/run'").c_str()), 0);
  Boot_Restart(dir.path() + "/My Game/run");
  std::string got;
  for (int i = 0; i < 500 && got.empty(); ++i) {
    std::ifstream in(mark);
    std::getline(in, got);
    if (got.empty()) usleep(10000);
  }
  EXPECT_EQ(got, "0");
  Boot_Restart("");                        // nothing to start: nothing happens
  Boot_Restart(dir.path() + "/missing");   // a failure is ignored
}

}  // namespace
