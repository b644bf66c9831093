// Writing seed files for the fuzz targets: each seeder takes the corpus
// folder as its one argument and puts one file a case into it.
#pragma once
#include <cstdio>
#include <fstream>
#include <string>

namespace seed {

// The corpus folder from the command line; null (after the usage line) when
// it is missing.
inline const char* FolderArg(int argc, char** argv) {
  if (argc >= 2) return argv[1];
  std::fprintf(stderr, "usage: %s <folder>\n", argc > 0 ? argv[0] : "seed");
  return nullptr;
}

// `bytes` as the file `name` in `dir`.
inline void Put(const std::string& dir, const std::string& name, const std::string& bytes) {
  std::ofstream(dir + "/" + name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// The same after the byte with which the target picks its reader.
inline void PutSelected(const std::string& dir, const std::string& name, char selector,
                        const std::string& bytes) {
  Put(dir, name, std::string(1, selector) + bytes);
}

}  // namespace seed
