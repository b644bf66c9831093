// Losing the X server ends a real engine process in bounded time. Each case
// starts an X server of its own, runs a fixture game on it (with and without
// the frame thread), kills the server under the running game and expects
// the engine to end within a few seconds rather than hang in the exit of a
// process whose threads still wait. Skipped without Xvfb.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "support/game_fixture.h"
#include "support/process_env.h"
#include "support/script_writer.h"
#include "support/test_env.h"
#include "support/xserver.h"

namespace {

constexpr char kTitle[] = "display loss game";

class DisplayLostXvfb : public fx::GameTest {
 protected:
  void SetUp() override {
    if (!xsrv::HaveTool("Xvfb") || !xsrv::HaveTool("xwininfo")) GTEST_SKIP() << "no Xvfb";
    exe_ = dir_.path() + "/tavren";
    std::string why;
    ASSERT_TRUE(fx::PlaceProgram(TEST_BINARY_DIR "/tavren", exe_, &why)) << why;
  }
  void TearDown() override {
    for (pid_t* p : {&engine_, &server_}) {
      if (*p <= 0) continue;
      kill(*p, SIGKILL);
      waitpid(*p, nullptr, 0);
      *p = -1;
    }
  }

  // An X server of our own on a free display number, which it reports.
  void StartServer() {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addclose(&fa, fds[0]);
    server_ = fx::SpawnWithEnv({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "640x480x24",
                     "-nolisten", "tcp"},
                    {}, &fa);
    posix_spawn_file_actions_destroy(&fa);
    close(fds[1]);
    ASSERT_GT(server_, 0);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    ASSERT_FALSE(number.empty()) << "Xvfb reported no display";
    display_ = ":" + number;
  }

  void StartEngine() {
    dir_.Write("data.qpf", fx::PackImage(game.Build()));
    engine_ = fx::SpawnWithEnv({exe_}, {"DISPLAY=" + display_, "SDL_VIDEODRIVER=x11",
                             "SDL_AUDIODRIVER=dummy", "DBUS_SESSION_BUS_ADDRESS=disabled:",
                             "XDG_DATA_HOME=" + dir_.path() + "/xdg",
                             "XDG_CONFIG_HOME=" + dir_.path() + "/xdg"});
    ASSERT_GT(engine_, 0);
  }

  // Kills the server under the shown game; true when the engine ended
  // within `ms`.
  bool EndsAfterTheServerDies(int ms) {
    kill(server_, SIGKILL);
    waitpid(server_, nullptr, 0);
    server_ = -1;
    int status = 0;
    if (!fx::WaitFor([&] { return waitpid(engine_, &status, WNOHANG) == engine_; }, ms)) return false;
    engine_ = -1;
    return true;
  }

  TempDir dir_;
  std::string exe_, display_;
  pid_t server_ = -1, engine_ = -1;
};

TEST_F(DisplayLostXvfb, EngineEndsWhenTheServerDies) {
  for (int frameThread : {0, 1}) {
    SCOPED_TRACE(frameThread ? "frame thread" : "frames on the main thread");
    game = fx::Game();
    game.Cfg().width = 160;
    game.Cfg().height = 120;
    game.Cfg().showFirstFrame = 1;
    game.Cfg().title = kTitle;
    game.Cfg().frameThread = uint8_t(frameThread);
    Idle(Main());
    ASSERT_NO_FATAL_FAILURE(StartServer());
    ASSERT_NO_FATAL_FAILURE(StartEngine());
    ASSERT_TRUE(fx::WaitFor([&] { return xsrv::WindowShown(kTitle, display_); }, 15000)) << "the game never showed";
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a few frames run
    EXPECT_TRUE(EndsAfterTheServerDies(5000)) << "still running 5 s after the display went away";
    TearDown();
  }
}

}  // namespace
