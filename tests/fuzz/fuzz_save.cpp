// Fuzz target: a save file as the engine meets it. Every record the table
// names is read back, inflated and parsed as a variable or layer payload
// (group items walked sub-item by sub-item), then a write that replaces
// DNO 1 and adds DNO 1024 runs over the file.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/save.h"
#include "files/save_payload.h"
#include "shell/shell.h"

namespace {
const std::string& Folder() {
  static const std::string* dir = [] {
    std::string d = (std::filesystem::temp_directory_path() /
                     ("tavren-fuzz-save-" + std::to_string(getpid())))
                        .string();
    std::filesystem::create_directories(d);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(Folder(), ec);
    });
    g_ErrDialogShown = 1;
    return new std::string(d);
  }();
  return *dir;
}

void Inflate(const SaveItem& it) {
  std::vector<uint8_t> out;
  SaveVarPayload var;
  if (it.kind != kSaveItemGroup) {
    if (Save_Uncompress(it.stored.data(), uint32_t(it.stored.size()), it.unpacked, &out) == 0) {
      SaveLayerPayload layer;
      if (it.kind == kSaveItemLayer) {
        Save_ParseLayerPayload(out.data(), out.size(), &layer);
      } else {
        Save_ParseVarPayload(out.data(), out.size(), &var);
      }
    }
    return;
  }
  size_t pos = 0, used = 0;
  SaveItem sub;
  while (pos < it.stored.size() &&
         Save_ParseItem(it.stored.data() + pos, it.stored.size() - pos, &sub, &used) == 0) {
    if (Save_Uncompress(sub.stored.data(), uint32_t(sub.stored.size()), sub.unpacked, &out) == 0)
      Save_ParseVarPayload(out.data(), out.size(), &var);
    pos += used;
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string file = Folder() + "/f.sd";
  {
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  }
  for (int dno = 1; dno <= kSaveBufferCount; ++dno) {
    SaveItem it;
    if (Save_ReadItem(file, dno, &it) == 0) Inflate(it);
  }
  const uint8_t v[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  Save_AppendItem(0, kSaveItemVar, 1, v, sizeof v);
  Save_AppendItem(kSaveBufferCount - 1, kSaveItemVar, 2, v, sizeof v);
  Save_WriteFile(file);
  Save_FreeBuffers(-1);
  return 0;
}
