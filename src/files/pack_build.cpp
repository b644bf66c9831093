// The pack index: every registered pack's directory read once, each entry
// checked against the pack's real size, duplicates resolved in favour of
// update packs, rows sorted by hash; and the lookup of a name in it.
#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "files/files.h"
#include "files/formats.h"
#include "files/pack_internal.h"
#include "base/base.h"

namespace {
// Rows still active per name hash, with the decoded names of this build
// (dropped once the index is built: the index keeps no names).
struct DupTable {
  std::unordered_map<uint32_t, std::vector<uint32_t>> active;
  std::vector<std::string> names;
};

// Enters one directory entry as row `row`; -1 after a report.
int AddRow(uint32_t packNo, uint32_t row, uint32_t hash, uint32_t pos, std::string name,
           DupTable& dups) {
  g_PackIndex.hash[row] = hash;
  g_PackIndex.pack[row] = packNo;
  g_PackIndex.pos[row] = pos;
  if (name == "qvbin\\qvcfg.qbn") g_DataPackaged = 1;
  std::vector<uint32_t>& same = dups.active[hash];
  for (size_t k = 0; k < same.size(); ++k) {
    uint32_t e = same[k];
    if (dups.names[e] != name) continue;
    if (!Pack_UpdateNumber(g_PackList.names[packNo])) {
      Err_ShowF(104150, 0, name.c_str());
      return -1;
    }
    // The later entry wins; the earlier row can no longer match its hash.
    g_PackIndex.hash[e] = g_PackIndex.hash[e] != 0 ? 0 : 1;
    same.erase(same.begin() + std::ptrdiff_t(k));
    break;
  }
  same.push_back(row);
  dups.names[row] = std::move(name);
  return 0;
}

// Reads the file count and the whole directory of an open pack, checked
// against the pack's size and the rows left in the index.
bool ReadDirectory(PackFile& pf, uint32_t rowsLeft, uint32_t* count, std::vector<uint8_t>* dir) {
  uint32_t dirSize = 0;
  if (!File_SeekInSource(pf, 8) || !Pack_ReadU32(pf, count) || !Pack_ReadU32(pf, &dirSize)) {
    return false;
  }
  if (pf.size < kPackHeaderSize || dirSize > pf.size - kPackHeaderSize) return false;
  if (*count > rowsLeft || uint64_t(*count) * kPackDirEntryFixed > dirSize) return false;
  dir->resize(dirSize);
  return File_SeekInSource(pf, kPackHeaderSize) && Pack_Read(pf, dir->data(), dirSize);
}

// Decodes the entry at `o` of a directory: its length in *size and its
// lower-cased name; false when it runs past the directory or its data run
// past the pack.
bool DecodeEntry(const std::vector<uint8_t>& dir, uint32_t o, uint64_t packSize, uint32_t* size,
                 std::string* name) {
  uint32_t dirSize = uint32_t(dir.size());
  if (dirSize - o < kPackDirEntryFixed) return false;
  const uint8_t* p = dir.data() + o;
  uint32_t len = g_PackLenTable[255 - p[4]];
  if (kPackDirEntryFixed + len > dirSize - o) return false;
  uint32_t stored = Pack_GetU32(p + 11 + len);
  uint64_t offset = Pack_GetU64(p + 15 + len);
  if (offset > packSize || stored > packSize - offset) return false;
  name->assign(len, '\0');
  for (uint32_t k = 0; k < len; ++k) (*name)[k] = char(~p[5 + k]);
  Str_ToLowerSjisN(name->data(), name->size());
  *size = kPackDirEntryFixed + len;
  return true;
}

// Enters the directory of pack `packNo` as rows from `*row` on.
int IndexPack(uint32_t packNo, uint32_t* row, DupTable& dups) {
  const char* packName = g_PackList.names[packNo].c_str();
  PackFile pf;
  if (Pack_Open(pf, packNo) != 0) {
    Err_ShowF(901040, 1, packName);
    return -1;
  }
  uint32_t count = 0;
  std::vector<uint8_t> dir;
  bool ok = ReadDirectory(pf, g_PackIndex.count - *row, &count, &dir);
  uint32_t o = 0;  // offset of the entry within the directory
  for (uint32_t i = 0; ok && i < count; ++i) {
    uint32_t size = 0;
    std::string name;
    ok = DecodeEntry(dir, o, pf.size, &size, &name);
    if (ok && AddRow(packNo, (*row)++, Pack_GetU32(dir.data() + o), kPackHeaderSize + o + 4,
                     std::move(name), dups)) {
      return -1;
    }
    o += size;
  }
  if (!ok) {
    Err_ShowF(104010, 1, packName);
    return -1;
  }
  return 0;
}
}  // namespace

int Pack_BuildIndex() {
  Pack_Reset();
  if (g_FileAppended.present) {
    // The executable carries the one pack; it opens at the appended start.
    const char* exe = g_FileAppended.exePath.c_str();
    if (Pack_Register(exe, exe) != 0) return -1;
  } else if (Pack_FindArchives(1, ".") != 0) {
    return -1;
  }
  for (const UpdateSlot& s : g_PackUpdateSlots) {
    if (!s.name.empty() && Pack_Register(s.name.c_str(), s.hostPath.c_str()) != 0) return -1;
  }
  g_PackIndex.count = g_PackEntryTotal;
  g_PackIndex.hash.assign(g_PackEntryTotal, 0);
  g_PackIndex.pack.assign(g_PackEntryTotal, 0);
  g_PackIndex.pos.assign(g_PackEntryTotal, 0);
  DupTable dups;
  dups.names.resize(g_PackEntryTotal);
  uint32_t row = 0;
  for (uint32_t p = 0; p < g_PackList.count; ++p) {
    if (IndexPack(p, &row, dups) != 0) return -1;
  }
  // A pack that shrank its count since registration leaves no empty rows.
  g_PackIndex.count = row;
  g_PackIndex.hash.resize(row);
  g_PackIndex.pack.resize(row);
  g_PackIndex.pos.resize(row);
  if (row > 1) Pack_SortIndex(0, int64_t(row) - 1);
  return 0;
}

namespace {
// Whether the entry at `pos` of an open pack is `name`; on a match the pack
// stands at the byte after the entry's type byte and `*type` is set.
bool EntryIs(PackFile& pf, uint32_t pos, const char* name, size_t nameLen, uint8_t* type) {
  uint8_t coded = 0;
  if (!File_SeekInSource(pf, pos) || !File_ReadByte(pf, &coded)) return false;
  uint32_t len = g_PackLenTable[255 - coded];
  if (len != nameLen) return false;
  char stored[256];
  if (!Pack_Read(pf, stored, len)) return false;
  for (uint32_t k = 0; k < len; ++k) stored[k] = char(~stored[k]);
  Str_ToLowerSjisN(stored, len);
  return std::memcmp(stored, name, len) == 0 && File_ReadByte(pf, type);
}
}  // namespace

int File_FindInIndex(FileRef& ref, const char* name) {
  size_t nameLen = std::strlen(name);
  if (nameLen > 255) return 0;  // no stored name is that long
  uint32_t h = Hash_Murmur2(name, nameLen);
  const std::vector<uint32_t>& hs = g_PackIndex.hash;
  // The rows are sorted by hash: only the run of equal hashes is visited.
  auto it = std::lower_bound(hs.begin(), hs.end(), h);
  for (; it != hs.end() && *it == h; ++it) {
    uint32_t row = uint32_t(it - hs.begin());
    uint32_t packNo = g_PackIndex.pack[row];
    ref.packNo = packNo;
    PackFile pf;
    if (Pack_Open(pf, packNo) != 0) return -2;
    uint8_t type = 0;
    if (EntryIs(pf, g_PackIndex.pos[row], name, nameLen, &type)) {
      ref.type = type;
      ref.entryPos = File_TellInSource(pf);
      ref.indexRow = row;
      ref.source = kFileSrcPack;
      return kFileSrcPack;
    }
  }
  return 0;
}
