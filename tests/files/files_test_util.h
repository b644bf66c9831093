// Helpers of the resource-file tests: a game folder as the current
// directory, and the shared capture of the errors reported meanwhile.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <string>
#include <vector>

#include "files/files.h"
#include "shell/shell.h"
#include "support/err_capture.h"
#include "support/pack_writer.h"
#include "support/test_env.h"

// A temporary folder made the current directory (the executable's folder
// of a game) for the test's lifetime.
class GameDir {
 public:
  GameDir() : old_(std::filesystem::current_path()) { std::filesystem::current_path(dir_.path()); }
  ~GameDir() { std::filesystem::current_path(old_); }
  void Write(const std::string& rel, const std::string& bytes) const { dir_.Write(rel, bytes); }
  const std::string& path() const { return dir_.path(); }

 private:
  TempDir dir_;
  std::filesystem::path old_;
};

inline std::string Bytes(const FileRef& ref) {
  return std::string(reinterpret_cast<const char*>(ref.data), ref.size);
}

// Looks `name` up and loads it; the bytes, or "<error N>" / "<missing>".
inline std::string LoadAll(const char* name) {
  FileRef ref;
  int r = File_Lookup(ref, name, true);
  if (r == 0) return "<missing>";
  if (r < 0) return "<lookup " + std::to_string(r) + ">";
  if (int l = File_Load(ref, name); l != 0) return "<load " + std::to_string(l) + ">";
  std::string b = Bytes(ref);
  std::free(ref.data);
  return b;
}

// A pack index over the current directory.
inline int BuildIndex() {
  Pack_InitNameTable();
  return Pack_BuildIndex();
}
