// Fuzz target: a pack file as the engine meets it. The bytes become the one
// pack of a game (as the pack appended to an executable, which starts at
// byte 0 here, so that the current directory stays where libFuzzer writes
// its artifacts); the index is built over it (header, directory,
// duplicate rule, sort) and every indexed entry is looked up and extracted
// (stored and zlib data, verification and repair).
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/files.h"
#include "shell/shell.h"

namespace {
// The folder outlives every static object: the exit handler removes it.
const std::string& Folder() {
  static const std::string* dir = [] {
    std::string d = (std::filesystem::temp_directory_path() /
                     ("tavren-fuzz-pack-" + std::to_string(getpid())))
                        .string();
    std::filesystem::create_directories(d);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Folder(), ec);
    });
    g_ErrDialogShown = 1;  // reports go nowhere but the trace hook
    return new std::string(d);
  }();
  return *dir;
}

// Position of the byte after the type byte of the entry whose coded length
// byte stands at `pos`, or 0 when the pack cannot say.
uint64_t EntryPos(uint32_t packNo, uint32_t pos) {
  PackFile pf;
  uint8_t coded = 0;
  if (Pack_Open(pf, packNo) != 0 || !File_SeekInSource(pf, pos) || !File_ReadByte(pf, &coded)) {
    return 0;
  }
  return uint64_t(pos) + 1 + g_PackLenTable[255 - coded] + 1;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = Folder() + "/data.qpf";
  {
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  g_FileAppended = {1, file, 0};
  g_DataPackaged = 0;
  Pack_InitNameTable();
  if (Pack_BuildIndex() == 0) {
    uint32_t rows = g_PackIndex.count < 64 ? g_PackIndex.count : 64;
    for (uint32_t r = 0; r < rows; ++r) {
      FileRef ref;
      ref.source = kFileSrcPack;
      ref.packNo = g_PackIndex.pack[r];
      ref.entryPos = EntryPos(ref.packNo, g_PackIndex.pos[r]);
      if (!ref.entryPos) continue;
      if (File_LoadPackEntry(ref, "fuzz") == 0) std::free(ref.data);
    }
    for (const char* name : {"a.txt", "qvbin\\qvcfg.qbn", "e.bin"}) {
      FileRef ref;
      if (File_FindInIndex(ref, name) == kFileSrcPack && File_LoadPackEntry(ref, name) == 0) {
        std::free(ref.data);
      }
    }
  }
  Pack_Reset();
  return 0;
}
