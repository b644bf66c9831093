// Helpers shared by the test programs.
#pragma once
#include <string>

// A fresh, empty folder under the build tree for one test; removed with the
// object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // Writes `bytes` to `rel` (created with its parent folders) under the folder.
  void Write(const std::string& rel, const std::string& bytes) const;

 private:
  std::string path_;
};
