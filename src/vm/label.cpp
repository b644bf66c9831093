// The label table and its lookup through 256 first-candidate buckets.
#include <cstring>

#include "files/files.h"
#include "vm/vm.h"

LabelTable g_LabelTable;

// The search starts at the bucket's first candidate and runs to the end of
// the table: the table is ordered by the label file, and a label only has to
// stand at or after its bucket's start.
int32_t Label_Find(const char* name, size_t len) {
  if (!name) return -1;
  uint32_t h = Hash_Murmur2(name, len);
  uint32_t start = g_LabelTable.first[h >> 24];
  for (uint32_t i = start; i < g_LabelTable.count; ++i) {
    const LabelRec& l = g_LabelTable.labels[i];
    if (l.hash == h && std::strlen(l.name) == len && std::memcmp(l.name, name, len) == 0) {
      return int32_t(i);
    }
  }
  return -1;
}
