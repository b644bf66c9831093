// Seeds for fuzz_registry: registry files with every line form, written into
// the folder argv[1].
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::filesystem::create_directories(argv[1]);
  const char* files[] = {
      "[HKEY_CURRENT_USER\\Software\\Maker\\Game]\n\"Dir\"=\"C:\\\\Games\"\nLevel=dword:0000002a\n@=\"d\"\n",
      "; comment\n# comment\n[HKEY_LOCAL_MACHINE/A/]\r\nx=plain\r\n\"q\"=\"a\\\"b\"\nbad\n",
      "[]\n=\n\"\n[x\nn=dword:\nn=dword:123456789\n",
  };
  int i = 0;
  for (const char* text : files) {
    std::ofstream(std::filesystem::path(argv[1]) / ("seed" + std::to_string(i++) + ".ini"), std::ios::binary)
        << text;
  }
  return 0;
}
