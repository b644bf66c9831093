// Seeds for fuzz_pack: small packs of every shape the engine reads, written
// into the folder argv[1].
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/seed_files.h"
#include "support/pack_writer.h"

namespace {
std::string Text(size_t n) {
  std::string s;
  for (size_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i % 97) + "\n";
  s.resize(n);
  return s;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string dir = argv[1];
  std::filesystem::create_directories(dir);
  seed::Put(dir, "empty.qpf", Pack_Build({}));
  seed::Put(dir, "stored.qpf", Pack_Build({{"a.txt", "hello"}, {"e.bin", Text(2500)}}));
  seed::Put(dir, "zlib.qpf", Pack_Build({{"a.txt", Text(3000), true}, {"qvbin\\qvcfg.qbn", Text(90), true}}));
  PackOptions bare;
  bare.repair = false;
  seed::Put(dir, "norecord.qpf", Pack_Build({{"a.txt", Text(1500)}, {"b.png", Text(10), true}}, bare));
  PackLayout lay;
  std::string damaged = Pack_Build({{"e.bin", Text(4000)}, {"a.txt", Text(2100), true}}, {}, &lay);
  Pack_DamageBlock(damaged, lay.entries[0], 1);
  Pack_DamageBlock(damaged, lay.entries[1], 0);
  seed::Put(dir, "damaged.qpf", damaged);
  seed::Put(dir, "dups.qpf", Pack_Build({{"a.txt", "1"}, {"a.txt", "2"}}));
  return 0;
}
