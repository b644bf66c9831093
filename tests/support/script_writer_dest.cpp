// Fixture writer: putting a game's files into a folder or a pack.
#include <algorithm>

#include "pack_writer.h"
#include "script_writer.h"
#include "test_env.h"

namespace fx {

void WriteLoose(const Files& files, const TempDir& dir) {
  for (const auto& [name, bytes] : files) {
    std::string rel = name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    dir.Write(rel, bytes);
  }
}

std::string PackImage(const Files& files, bool compress) {
  std::vector<PackEntryDesc> entries;
  for (const auto& [name, bytes] : files) entries.push_back({name, bytes, compress, -1});
  return Pack_Build(entries);
}

}  // namespace fx
