// The compiler store: files handed over as one data area of
// {u32 name length, name, u32 data length, data} records. The external
// compiler fills it during development; tests and tools fill it to give the
// engine a whole game without the disk.
#include <cstring>

#include "files/files.h"
#include "base/base.h"

CompiledFiles g_CompiledFiles;

namespace {
bool ReadU32(const uint8_t* area, size_t size, size_t at, uint32_t* v) {
  if (at > size || size - at < 4) return false;
  *v = uint32_t(area[at]) | uint32_t(area[at + 1]) << 8 | uint32_t(area[at + 2]) << 16 |
       uint32_t(area[at + 3]) << 24;
  return true;
}
}  // namespace

void File_StoreClear() {
  g_CompiledFiles.entries.clear();
  g_CompiledFiles.area.clear();
}

int File_StoreSetArea(const uint8_t* area, size_t size, uint32_t count) {
  File_StoreClear();
  if (count == 0 || size == 0) return 0;
  // Every record takes at least 8 bytes: a count beyond that is garbage and
  // must not size the entry table.
  if (count > size / 8) {
    Err_ShowF(104010, 1, "TAVRENCompilerFileMapObject2");
    return -1;
  }
  g_CompiledFiles.area.assign(area, area + size);
  const uint8_t* a = g_CompiledFiles.area.data();
  std::vector<CompiledFile> entries;
  entries.reserve(count);
  size_t at = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t nameLen = 0, dataLen = 0;
    bool ok = ReadU32(a, size, at, &nameLen) && size - at - 4 >= nameLen;
    size_t nameAt = at + 4;
    ok = ok && nameLen < kFilePathMax && ReadU32(a, size, nameAt + nameLen, &dataLen);
    size_t dataAt = nameAt + nameLen + 4;
    ok = ok && size - dataAt >= dataLen;
    if (!ok) {
      File_StoreClear();
      Err_ShowF(104010, 1, "TAVRENCompilerFileMapObject2");
      return -1;
    }
    CompiledFile f;
    f.name.assign(reinterpret_cast<const char*>(a + nameAt), nameLen);
    // A name ends at its first zero byte, as the lookup sees it.
    f.name.resize(std::strlen(f.name.c_str()));
    Str_ToLowerSjisN(f.name.data(), f.name.size());
    Str_ReplaceCharSjis(f.name.data(), '/', '\\');
    f.size = dataLen;
    f.data = a + dataAt;
    entries.push_back(std::move(f));
    at = dataAt + dataLen;
  }
  g_CompiledFiles.entries = std::move(entries);
  return 0;
}
