// File operations on std::filesystem; programs through the process layer
// (documents through xdg-open, the associated program from xdg-mime).
#include "platform/file_ops.h"

#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "platform/process.h"

namespace fs = std::filesystem;

bool FileOps_MakeDirs(const std::string& p) {
  std::error_code ec;
  fs::create_directories(p, ec);
  return !ec && fs::is_directory(p, ec);
}

bool FileOps_Copy(const std::string& from, const std::string& to) {
  std::error_code ec;
  return fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec) && !ec;
}

bool FileOps_Delete(const std::string& p) {
  std::error_code ec;
  if (fs::is_directory(p, ec)) return false;
  return fs::remove(p, ec) && !ec;
}

bool FileOps_RemoveDir(const std::string& p) {
  std::error_code ec;
  if (!fs::is_directory(p, ec)) return false;
  return fs::remove(p, ec) && !ec;  // refuses a folder that is not empty
}

bool FileOps_IsDir(const std::string& p) {
  std::error_code ec;
  return fs::is_directory(p, ec);
}

bool FileOps_IsFile(const std::string& p) {
  std::error_code ec;
  return fs::is_regular_file(p, ec);
}

std::string FileOps_AssociatedProgram(const std::string& p) {
  std::string type, app;
  if (!FileOps_IsFile(p)) return "";
  if (!Proc_Capture({"xdg-mime", "query", "filetype", p}, &type)) return "";
  while (!type.empty() && (type.back() == '\n' || type.back() == '\r')) type.pop_back();
  if (type.empty() || !Proc_Capture({"xdg-mime", "query", "default", type}, &app)) return "";
  while (!app.empty() && (app.back() == '\n' || app.back() == '\r')) app.pop_back();
  return app;
}

bool FileOps_Run(const std::string& p, const std::string& params, bool wait) {
  std::vector<std::string> argv;
  if (access(p.c_str(), X_OK) == 0 && FileOps_IsFile(p)) {
    argv.push_back(p);
    std::istringstream in(params);
    for (std::string a; in >> a;) argv.push_back(a);
  } else {
    argv = {"xdg-open", p};
  }
  SpawnOptions o;
  o.wait = wait;
  return Proc_Spawn(argv, o) != -1;
}
