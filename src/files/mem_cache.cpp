// The preload memory cache: four groups of at most 512 files each, oldest
// first; a full group drops its oldest file for a new one, and preloading a
// cached file again makes it the newest.
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "files/files.h"

namespace {

// Moves slot `from` of the group to the end of the used slots.
void MakeNewest(MemCacheGroup& g, int32_t from) {
  MemCacheSlot keep = g.slots[from];
  for (int32_t s = from; s + 1 < g.count; ++s) g.slots[s] = g.slots[s + 1];
  g.slots[g.count - 1] = keep;
}

}  // namespace

void File_FreeMemCacheSlot(int group, int slot) {
  if (group < 0 || group >= kMemCacheGroups) return;
  MemCacheGroup& g = g_MemCache[group];
  if (slot < 0 || slot >= g.count) return;
  std::free(g.slots[slot].data);
  std::free(g.slots[slot].name);
  g.total -= g.slots[slot].size;
  for (int32_t s = slot; s + 1 <= kMemCacheSlots; ++s) g.slots[s] = g.slots[s + 1];
  g.slots[kMemCacheSlots] = MemCacheSlot();
}

void File_ClearMemCache() {
  for (int grp = 0; grp < kMemCacheGroups; ++grp) {
    MemCacheGroup& g = g_MemCache[grp];
    for (int32_t s = 0; s < g.count; ++s) {
      std::free(g.slots[s].data);
      std::free(g.slots[s].name);
    }
    g = MemCacheGroup();
  }
}

int File_PreloadToMemCache(int group, const char* name, int kind) {
  if (group < 0 || group >= kMemCacheGroups) return 0;
  MemCacheGroup& g = g_MemCache[group];
  FileRef ref;
  char resolved[kFilePathMax];
  int rc = File_Resolve(ref, resolved, name, kind);
  if (rc < 0) return -1;
  if (rc == 1) return 0;  // found nowhere: nothing to keep
  if (ref.source == kFileSrcMemCache && int(ref.cacheGroup) == group) {
    MakeNewest(g, int32_t(ref.cacheSlot));
    return 0;
  }
  if (File_Load(ref, resolved) != 0) return -1;
  if (g.count >= kMemCacheSlots) {
    File_FreeMemCacheSlot(group, 0);
    g.count--;
  }
  char* copy = static_cast<char*>(std::malloc(kFilePathMax + 1));
  if (!copy) {
    std::free(ref.data);
    Err_Script(100010, 1);
    return -1;
  }
  std::strncpy(copy, resolved, kFilePathMax);
  copy[kFilePathMax] = '\0';
  MemCacheSlot& s = g.slots[g.count++];
  s.name = copy;
  s.data = ref.data;
  s.size = ref.size;
  s.type = ref.type;
  g.total += ref.size;
  return 0;
}
