// Writes seed inputs for fuzz_expr into the folder argv[1]: expressions of
// every opcode family with the selector byte in front.
#include <cstdio>
#include <fstream>
#include <string>

#include "support/script_writer.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 2;
  }
  const std::pair<int, const char*> seeds[] = {
      {0x00, "L7 L2 / L3 % R"},
      {0x00, "V$1001 L1 L2 ) H$1000 + L6 L3 A O ^"},
      {0x01, "F2.5 L2 * F0.5 -"},
      {0x04, "L3 L4 < L5 L5 Z & L0 | L1 !"},
      {0x0c, "M\"ab\\n\" M\"c\" + L42 s +"},
      {0x0f, "F1.25 s M\"x\" +"},
      {0x00, "M\"0x1f\" i M\"-12\" i + M\"2.5\" i ,"},
      {0x00, "V$50 H#1000 ) V$70 V#1001 L1 L1 ) ) +"},
      {0x0c, "V$52 V#1003 L1 L0 L1 ) )"},
      {0x10, "V$1004 L1 L2 L3 L4 L5 L6 L7 L8 )"},
      {0x20, "M\"label\" H$1000 +"},
      {0x00, "v$1001 L0 ="},
  };
  int i = 0;
  for (const auto& [sel, src] : seeds) {
    std::ofstream out(std::string(argv[1]) + "/seed_" + std::to_string(i++), std::ios::binary);
    out.put(char(sel));
    out << fx::Asm(src).bytes;
  }
  return 0;
}
