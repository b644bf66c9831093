// Fuzz target: the text table split of command 8. The elements never hold a
// line end, and together never hold more bytes than the input.
#include <cstdint>
#include <string>

#include "files/files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> out = File_SplitTextTable(data, size);
  size_t total = 0;
  for (const std::string& s : out) {
    total += s.size();
    if (s.find('\r') != std::string::npos || s.find('\n') != std::string::npos) __builtin_trap();
  }
  if (total > size) __builtin_trap();
  return 0;
}
