// Pack registration and the pack index: the folder walk, one pass over every
// pack directory at start-up, the duplicate rule (only update packs may
// replace an entry), and the sort by hash.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "files/file_host.h"
#include "files/files.h"
#include "files/formats.h"
#include "files/pack_internal.h"
#include "base/base.h"

uint32_t g_PackEntryTotal = 0;
UpdateSlot g_PackUpdateSlots[kPackUpdateSlots];
uint8_t g_PackLenTable[256];
uint8_t g_SceneKey[4];
PackList g_PackList;
PackIndex g_PackIndex;

namespace {
bool EqualsNoCase(const std::string& a, const char* b) {
  std::string x = a;
  Str_ToLowerSjisN(x.data(), x.size());
  return x == b;
}

}  // namespace

int Pack_UpdateNumber(const std::string& name) {
  size_t slash = name.find_last_of('\\');
  std::string base = name.substr(slash == std::string::npos ? 0 : slash + 1);
  size_t dot = base.find_last_of('.');
  if (dot != std::string::npos) base.resize(dot);
  Str_ToLowerSjisN(base.data(), base.size());
  if (base.size() == 7 && base.compare(0, 6, "update") == 0 && base[6] >= '1' && base[6] <= '9') {
    return base[6] - '0';
  }
  return 0;
}

int Pack_InitNameTable() {
  constexpr std::array<uint8_t, 256> table = Pack_MakeLenTable();
  std::memcpy(g_PackLenTable, table.data(), 256);
  uint32_t crc = Crc32_Block(kSceneKeyWord, sizeof(kSceneKeyWord) - 1);
  g_SceneKey[0] = uint8_t(crc >> 24);
  g_SceneKey[1] = uint8_t(crc >> 16);
  g_SceneKey[2] = uint8_t(crc >> 8);
  g_SceneKey[3] = uint8_t(crc);
  return 0;
}

void Pack_Reset() {
  g_PackList = PackList{};
  g_PackIndex = PackIndex{};
  g_PackEntryTotal = 0;
  for (UpdateSlot& s : g_PackUpdateSlots) s = UpdateSlot{};
}

int Pack_Register(const char* name, const char* hostPath) {
  PackFile pf;
  uint64_t base = g_FileAppended.present ? g_FileAppended.packStart : 0;
  if (Pack_OpenPath(pf, hostPath, base) != 0) {
    Err_ShowF(901040, 1, name);
    return -2;
  }
  char magic[4] = {};
  uint32_t version = 0, count = 0;
  // Too short for a magic, or another magic: not a pack, skipped quietly.
  if (!Pack_Read(pf, magic, 4) || std::memcmp(magic, kPackMagic, 4) != 0) return 0;
  if (!Pack_ReadU32(pf, &version) || !Pack_ReadU32(pf, &count)) {
    Err_ShowF(104010, 1, name);
    return -1;
  }
  Pack_Close(pf);
  if (version < kPackVersionMin) {
    Err_ShowF(104120, 1, name);
    return -1;
  }
  if (count >= kPackEntryLimit - g_PackEntryTotal) {
    Err_ShowF(104140, 1, int(kPackEntryLimit));
    return -1;
  }
  if (g_PackList.count >= kPackMax) {
    Err_ShowF(104130, 1, int(kPackMax + 1));
    return -1;
  }
  g_PackEntryTotal += count;
  g_PackList.names.emplace_back(name);
  g_PackList.hostPaths.emplace_back(Host_Absolute(hostPath));
  ++g_PackList.count;
  return 0;
}

namespace {
struct WalkFolder {
  std::string host, win;
  uint32_t depth;
};

// One folder of the walk: packs registered (update packs kept for later),
// "pac" sub-folders queued.
int WalkOne(const WalkFolder& f, uint32_t maxDepth, std::vector<WalkFolder>& list) {
  std::vector<HostDirEntry> entries;
  if (!Host_ListFolder(f.host, &entries)) return 0;
  // A fixed order, whatever the file system gives, so that pack numbers and
  // the first reported duplicate do not change between runs.
  std::sort(entries.begin(), entries.end(),
            [](const HostDirEntry& a, const HostDirEntry& b) { return a.sjisName < b.sjisName; });
  for (const HostDirEntry& e : entries) {
    if (e.isDir) {
      if (f.depth > maxDepth || !EqualsNoCase(e.sjisName, "pac")) continue;
      if (list.size() >= kPackWalkFolderMax) {
        Err_Show(104110, 1);
        return -1;
      }
      if (f.depth + 1 >= kPackWalkDepthLimit) {
        Err_Show(104111, 1);
        return -1;
      }
      list.push_back({e.hostPath, f.win + "\\" + e.sjisName, f.depth + 1});
      continue;
    }
    if (e.sjisName.size() < 4 || !Str_EndsWith(e.sjisName.c_str(), ".qpf")) continue;
    std::string name = f.win + "\\" + e.sjisName;
    Str_ToLowerSjisN(name.data(), name.size());
    if (int n = Pack_UpdateNumber(name)) {
      g_PackUpdateSlots[n - 1] = {name, e.hostPath};
    } else if (Pack_Register(name.c_str(), e.hostPath.c_str()) != 0) {
      return -1;
    }
  }
  return 0;
}
}  // namespace

int Pack_FindArchives(uint32_t maxDepth, const char* start) {
  std::vector<WalkFolder> list;
  list.push_back({start, ".", 1});
  for (size_t i = 0; i < list.size(); ++i) {
    WalkFolder f = list[i];  // a copy: the list grows while it is walked
    if (WalkOne(f, maxDepth, list) != 0) return -1;
  }
  return 0;
}

void Pack_SwapRows(uint32_t a, uint32_t b) {
  std::swap(g_PackIndex.hash[a], g_PackIndex.hash[b]);
  std::swap(g_PackIndex.pack[a], g_PackIndex.pack[b]);
  std::swap(g_PackIndex.pos[a], g_PackIndex.pos[b]);
}

void Pack_SortIndex(int64_t first, int64_t last) {
  const std::vector<uint32_t>& h = g_PackIndex.hash;
  while (first < last) {
    uint32_t pivot = h[size_t(first + (last - first) / 2)];
    int64_t i = first, j = last;
    while (i <= j) {
      while (h[size_t(i)] < pivot) ++i;
      while (h[size_t(j)] > pivot) --j;
      if (i <= j) {
        Pack_SwapRows(uint32_t(i), uint32_t(j));
        ++i;
        --j;
      }
    }
    // Recurse into the smaller part and loop on the larger, so that the
    // depth stays logarithmic whatever the hashes are.
    if (j - first < last - i) {
      Pack_SortIndex(first, j);
      first = i;
    } else {
      Pack_SortIndex(i, last);
      last = j;
    }
  }
}
