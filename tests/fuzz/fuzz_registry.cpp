// Fuzz target: the registry text file. Every parsed entry is looked up
// again by its own key and name, and a few fixed lookups run over the file.
#include <cstdint>
#include <string_view>

#include "platform/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  RegFile f = Reg_ParseFile(text);
  for (const RegFile::Entry& e : f.entries) {
    if (!Reg_Find(f, e.key, e.name)) __builtin_trap();
  }
  Reg_Find(f, "HKEY_CURRENT_USER\\Software", "");
  Reg_Find(f, "", "@");
  return 0;
}
