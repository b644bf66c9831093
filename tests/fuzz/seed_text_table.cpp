// Seeds for fuzz_text_table: small tables with every separator, written into
// the folder argv[1].
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::filesystem::create_directories(argv[1]);
  const std::string files[] = {
      "a,b\r\nc\r\n", "x\ny\n\n", ",a\r\"q,\"\n'p,'", "\x83\x2c,z\n\x81", "  a,\tb c",
  };
  int i = 0;
  for (const std::string& text : files)
    std::ofstream(std::filesystem::path(argv[1]) / ("seed" + std::to_string(i++) + ".csv"), std::ios::binary)
        << text;
  return 0;
}
