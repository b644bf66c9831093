// A shut-down that has to leave a thread running ends the process there,
// with the engine's exit code and its output flushed: returning from main
// would run the static destructors (the worker pool's threads and condition
// variables) under the thread that still runs. A real process: this test
// program, placed beside a fixture game, runs again as the engine.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "platform/fs.h"
#include "shell/shell.h"
#include "shell/startup.h"
#include "support/game_fixture.h"
#include "support/process_env.h"
#include "support/script_writer.h"

namespace {

constexpr char kRoleVar[] = "TAVREN_TEST_ROLE";
constexpr char kRole[] = "stuck-frame-thread";
// Written to stdout (a file, so fully buffered) just before the thread
// sticks; only a flush at the end brings it out.
constexpr char kMarker[] = "[the frame thread sticks here]";
// The child met the machine-wide start lock held by another program
// starting at that moment; the parent tries again.
constexpr int kStartLockBusy = 44;
// Tells a hang from a slow end on a loaded machine; no speed target.
constexpr int kHangGuardMs = 60000;

// The script's error report on the frame thread: the thread asks for the
// end and then never comes back, as a thread stuck in a driver call would.
void StickOnTheReport(int32_t number, int) {
  if (number != 108180) return;
  std::fputs(kMarker, stdout);
  g_ShutdownRequested = 1;
  g_QuitRequested = 1;
  for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

// The body of the child: the real entry, then what main does with its
// result (returning runs the static destructors, as std::exit does).
TEST(StuckThreadChild, RunsTheEngine) {
  const char* role = std::getenv(kRoleVar);
  if (!role || std::string(role) != kRole) GTEST_SKIP() << "runs only as a child";
  g_ErrObserver = StickOnTheReport;
  char* argv[] = {const_cast<char*>("tavren"), nullptr};
  int code = Boot_Main(1, argv);
  if (g_ModulePath.empty()) _exit(kStartLockBusy);
  std::exit(code);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class StuckThreadExit : public fx::GameTest {
 protected:
  void SetUp() override {
    folder_ = std::string(TEST_BINARY_DIR) + "/stuck-exit-" + std::to_string(getpid());
    exe_ = folder_ + "/test_shell";
    std::filesystem::create_directories(folder_);
    std::string why;
    ASSERT_TRUE(fx::PlaceProgram(Fs_ExePath(), exe_, &why)) << why;
  }
  void TearDown() override {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  // Runs the child once; false when it did not end within the hang guard.
  bool RunChild(int* status) {
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, (folder_ + "/out.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&fa, 2, (folder_ + "/err.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_ = fx::SpawnWithEnv({exe_, "--gtest_filter=StuckThreadChild.RunsTheEngine"},
                            {std::string(kRoleVar) + "=" + kRole, "SDL_VIDEODRIVER=dummy",
                             "SDL_AUDIODRIVER=dummy", "DBUS_SESSION_BUS_ADDRESS=disabled:",
                             "XDG_DATA_HOME=" + folder_ + "/xdg",
                             "XDG_CONFIG_HOME=" + folder_ + "/xdg"},
                            &fa);
    posix_spawn_file_actions_destroy(&fa);
    if (pid_ <= 0) return false;
    bool ended = fx::WaitFor([&] { return waitpid(pid_, status, WNOHANG) == pid_; }, kHangGuardMs);
    if (ended) pid_ = -1;
    return ended;
  }

  std::string folder_, exe_;
  pid_t pid_ = -1;
};

TEST_F(StuckThreadExit, EndsWithItsCodeAndFlushedOutput) {
  game.Cfg().frameThread = 1;
  game.Cfg().width = 160;
  game.Cfg().height = 120;
  game.Cfg().title = "stuck thread";
  fx::Scene& s = Main();
  s.Cmd("wait", {{"frames", fx::Int(3)}});
  s.JumpTo(fx::Text("nowhere").As(fx::kTypeText));  // 108180 on the frame thread
  Idle(s);
  std::ofstream(folder_ + "/data.qpf", std::ios::binary) << fx::PackImage(game.Build());

  int status = 0;
  for (int attempt = 0; attempt < 20; ++attempt) {
    ASSERT_TRUE(RunChild(&status)) << "still running " << kHangGuardMs / 1000 << " s after its start";
    if (!WIFEXITED(status) || WEXITSTATUS(status) != kStartLockBusy) break;
    usleep(50000);
  }
  const std::string out = ReadAll(folder_ + "/out.txt");
  const std::string err = ReadAll(folder_ + "/err.txt");
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0)
                                 << "\n" << err;
  EXPECT_EQ(WEXITSTATUS(status), 0) << err;
  EXPECT_NE(err.find("shut-down: the frame thread did not end"), std::string::npos) << err;
  EXPECT_NE(out.find(kMarker), std::string::npos) << out;
}

}  // namespace
