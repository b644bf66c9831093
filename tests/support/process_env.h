// Helpers for tests that start the engine (or a server) as a real process:
// a start with some environment variables replaced, and a bounded wait.
#pragma once
#include <spawn.h>
#include <sys/types.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace fx {

// Starts `args` (the program looked up on PATH when it has no '/') with this
// process's environment, where each "NAME=value" of `vars` replaces or adds
// that variable. -1 when the start failed.
pid_t SpawnWithEnv(const std::vector<std::string>& args, const std::vector<std::string>& vars,
                   const posix_spawn_file_actions_t* actions = nullptr);

// `program` as `path`: a hard link where the file system allows one, else a
// copy. False (with the reason in *why) when neither could be made.
bool PlaceProgram(const std::string& program, const std::string& path, std::string* why);

// Polls `done` every 20 ms for at most `ms`; its last answer.
template <class F>
bool WaitFor(F done, int ms) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

}  // namespace fx
