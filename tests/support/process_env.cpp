#include "support/process_env.h"

#include <filesystem>

extern char** environ;

namespace fx {

pid_t SpawnWithEnv(const std::vector<std::string>& args, const std::vector<std::string>& vars,
                   const posix_spawn_file_actions_t* actions) {
  std::vector<std::string> own = vars;
  std::vector<char*> env;
  for (char** e = environ; *e; ++e) {
    std::string name(*e);
    name = name.substr(0, name.find('=') + 1);
    bool replaced = false;
    for (const std::string& v : own) replaced |= v.compare(0, name.size(), name) == 0;
    if (!replaced) env.push_back(*e);
  }
  for (std::string& v : own) env.push_back(v.data());
  env.push_back(nullptr);
  std::vector<std::string> a = args;
  std::vector<char*> argv;
  for (std::string& s : a) argv.push_back(s.data());
  argv.push_back(nullptr);
  if (argv.size() < 2) return -1;
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], actions, nullptr, argv.data(), env.data()) != 0) return -1;
  return pid;
}

bool PlaceProgram(const std::string& program, const std::string& path, std::string* why) {
  std::error_code ec;
  std::filesystem::create_hard_link(program, path, ec);
  if (ec) std::filesystem::copy_file(program, path, ec);
  if (ec && why) *why = ec.message();
  return !ec;
}

}  // namespace fx
