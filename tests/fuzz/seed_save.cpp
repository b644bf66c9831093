// Seeds for fuzz_save: save files with every item kind, written into the
// folder argv[1].
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/seed_files.h"
#include "support/save_writer.h"

namespace {
SaveItemDesc Var(int16_t no, std::string payload) {
  SaveItemDesc it;
  it.varNo = no;
  it.payload = std::move(payload);
  return it;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string dir = argv[1];
  std::filesystem::create_directories(dir);
  SaveFileDesc empty;
  seed::Put(dir, "empty.sd", SaveWriter_File(empty));
  SaveFileDesc vars;
  vars.records.push_back({1, {Var(1, SaveWriter_IntVar({3}, {1, 2, 3}))}});
  vars.records.push_back({7, {Var(2, SaveWriter_StrVar({2}, {"ab", "c"}))}});
  seed::Put(dir, "vars.sd", SaveWriter_File(vars));
  SaveItemDesc layer;
  layer.kind = 1;
  layer.payload = SaveWriter_Layer(2, 2, std::string(16, '\x40'));
  SaveItemDesc group;
  group.kind = 2;
  group.subItems = {Var(3, SaveWriter_IntVar({}, {5})), Var(4, SaveWriter_StrVar({}, {"z"}))};
  SaveFileDesc mixed;
  mixed.records.push_back({2, {layer}});
  mixed.records.push_back({1024, {group}});
  seed::Put(dir, "mixed.sd", SaveWriter_File(mixed));
  return 0;
}
