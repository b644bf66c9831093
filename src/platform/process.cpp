#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace {

struct FileActions {
  posix_spawn_file_actions_t fa;
  FileActions() { posix_spawn_file_actions_init(&fa); }
  ~FileActions() { posix_spawn_file_actions_destroy(&fa); }
};

std::vector<char*> MakeArgv(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

int StartProcess(const std::vector<std::string>& argv, FileActions& fa, pid_t* pid) {
  if (argv.empty() || argv[0].empty()) return -1;
  std::vector<char*> args = MakeArgv(argv);
  bool search = argv[0].find('/') == std::string::npos;
  int rc = search ? posix_spawnp(pid, args[0], &fa.fa, nullptr, args.data(), environ)
                  : posix_spawn(pid, args[0], &fa.fa, nullptr, args.data(), environ);
  return rc == 0 ? 0 : -1;
}

int WaitExit(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int Proc_Spawn(const std::vector<std::string>& argv, const SpawnOptions& options) {
  FileActions fa;
  if (!options.workDir.empty() &&
      posix_spawn_file_actions_addchdir_np(&fa.fa, options.workDir.c_str()) != 0)
    return -1;
  pid_t pid = 0;
  if (StartProcess(argv, fa, &pid) != 0) return -1;
  if (options.wait) return WaitExit(pid);
  // Nobody waits for a detached program; a small thread does, so it never
  // lingers as a zombie.
  std::thread([pid] { WaitExit(pid); }).detach();
  return 0;
}

bool Proc_Capture(const std::vector<std::string>& argv, std::string* output) {
  output->clear();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  FileActions fa;
  posix_spawn_file_actions_adddup2(&fa.fa, fds[1], 1);
  posix_spawn_file_actions_addopen(&fa.fa, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid = 0;
  int started = StartProcess(argv, fa, &pid);
  close(fds[1]);
  if (started != 0) {
    close(fds[0]);
    return false;
  }
  char buf[4096];
  for (;;) {
    ssize_t n = read(fds[0], buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    if (output->size() < 65536) output->append(buf, size_t(n));
  }
  close(fds[0]);
  return WaitExit(pid) == 0;
}
