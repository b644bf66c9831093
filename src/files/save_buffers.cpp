// The DNO buffers: growth, the little-endian appenders and compressed items.
#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "files/files.h"
#include "files/save.h"
#include "platform/text.h"
#include "base/base.h"

SaveBuffer g_SaveBuffers[kSaveBufferCount];

void Save_FreeBuffers(int index) {
  int first = index < 0 ? 0 : index;
  int last = index < 0 ? kSaveBufferCount - 1 : index;
  if (first >= kSaveBufferCount) return;
  for (int i = first; i <= last; ++i) {
    std::free(g_SaveBuffers[i].data);
    g_SaveBuffers[i] = SaveBuffer();
  }
}

uint32_t Save_GrowSize(uint64_t n) {
  uint64_t g = n * 15 / 10;
  return g > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(g);
}

bool Save_Reserve(int index, uint64_t extra) {
  SaveBuffer& b = g_SaveBuffers[index];
  uint64_t need = uint64_t(b.size) + extra;
  if (need <= b.cap) return true;
  uint64_t cap = Save_GrowSize(need);
  if (cap < need || need > 0xFFFFFFFFu) return false;
  void* p = std::realloc(b.data, cap);
  if (!p) return false;
  b.data = static_cast<uint8_t*>(p);
  b.cap = static_cast<uint32_t>(cap);
  return true;
}

static void PutLe(uint8_t* p, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

static void AppendLe(int index, uint32_t v, int n) {
  if (!Save_Reserve(index, n)) return;
  SaveBuffer& b = g_SaveBuffers[index];
  PutLe(b.data + b.size, v, n);
  b.size += n;
}

void Save_AppendU8(int index, uint8_t v) { AppendLe(index, v, 1); }
void Save_AppendU16(int index, uint16_t v) { AppendLe(index, v, 2); }
void Save_AppendU32(int index, uint32_t v) { AppendLe(index, v, 4); }

void Save_PutU32At(int index, uint32_t offset, uint32_t v) {
  SaveBuffer& b = g_SaveBuffers[index];
  if (uint64_t(offset) + 4 <= b.size) PutLe(b.data + offset, v, 4);
}

static void AppendHeader(int index, uint8_t kind, uint16_t varNo) {
  Save_AppendU8(index, kind);
  Save_AppendU8(index, 1);
  Save_AppendU16(index, varNo);
  Save_AppendU32(index, 0);
  Save_AppendU32(index, 0);
}

int Save_AppendItem(int index, uint8_t kind, uint16_t varNo, const uint8_t* payload,
                    uint32_t len) {
  uLong room = compressBound(len);
  if (!Save_Reserve(index, uint64_t(kSaveItemHeaderBytes) + room)) return kSaveErrNoMemory;
  uint32_t at = g_SaveBuffers[index].size;
  AppendHeader(index, kind, varNo);
  SaveBuffer& b = g_SaveBuffers[index];
  uLongf out = room;
  if (compress2(b.data + b.size, &out, payload, len, 1) != Z_OK) {
    b.size = at;
    return kSaveErrNoMemory;
  }
  b.size += static_cast<uint32_t>(out);
  Save_PutU32At(index, at + 4, static_cast<uint32_t>(out));
  Save_PutU32At(index, at + 8, len);
  return 0;
}

uint32_t Save_BeginGroup(int index) {
  uint32_t at = g_SaveBuffers[index].size;
  AppendHeader(index, kSaveItemGroup, 0);
  return at;
}

// The group's unpacked size is the sum of its sub-items' unpacked sizes plus
// their headers, an upper bound of what reading it needs.
void Save_EndGroup(int index, uint32_t headerAt) {
  const SaveBuffer& b = g_SaveBuffers[index];
  uint32_t begin = headerAt + kSaveItemHeaderBytes;
  if (begin > b.size) return;
  uint64_t unpacked = 0;
  size_t pos = begin;
  SaveItem it;
  size_t used = 0;
  while (pos < b.size && Save_ParseItem(b.data + pos, b.size - pos, &it, &used) == 0) {
    unpacked += kSaveItemHeaderBytes + uint64_t(it.unpacked);
    pos += used;
  }
  Save_PutU32At(index, headerAt + 4, b.size - begin);
  Save_PutU32At(index, headerAt + 8, unpacked > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(unpacked));
}

int Save_BuildName(std::string_view name, std::string* fileName) {
  std::string s(name);
  s.resize(std::strlen(s.c_str()));
  // A second byte 0x5C or 0x2F of a double-byte character (as in 表 or ソ)
  // is part of the character, never a separator.
  Str_ReplaceCharSjis(s.data(), '/', '\\');
  Str_ToLowerSjis(s.data());
  if (s.size() > kSaveNameMax) return kSaveErrNameLong;
  for (size_t i = 0; i < s.size(); ++i) {
    if (Sjis_IsLead(uint8_t(s[i])) && i + 1 < s.size()) {
      ++i;
      continue;
    }
    if (s[i] == '\\') return kSaveErrBackslash;
  }
  if (s.size() < 3 || s.compare(s.size() - 3, 3, ".sd") != 0) s += ".sd";
  *fileName = s;
  return 0;
}

int Save_ParseItem(const uint8_t* bytes, size_t len, SaveItem* item, size_t* used) {
  if (len < kSaveItemHeaderBytes) return kSaveErrCorrupt;
  uint32_t stored = bytes[4] | bytes[5] << 8 | bytes[6] << 16 | uint32_t(bytes[7]) << 24;
  if (stored > len - kSaveItemHeaderBytes) return kSaveErrCorrupt;
  item->kind = bytes[0];
  item->varNo = static_cast<uint16_t>(bytes[2] | bytes[3] << 8);
  item->unpacked = bytes[8] | bytes[9] << 8 | bytes[10] << 16 | uint32_t(bytes[11]) << 24;
  item->stored.assign(bytes + kSaveItemHeaderBytes, bytes + kSaveItemHeaderBytes + stored);
  *used = kSaveItemHeaderBytes + stored;
  return 0;
}

int Save_Uncompress(const uint8_t* src, uint32_t srcLen, uint32_t unpacked,
                    std::vector<uint8_t>* out) {
  // Refused before allocating: a size the stored bytes cannot produce.
  if (uint64_t(unpacked) > uint64_t(srcLen) * kSaveMaxInflateRatio + 64) {
    Sys_MessageBoxF("", "Uncompress Error.");
    return 1;
  }
  out->assign(size_t(unpacked) + 1, 0);  // one spare byte shows a long stream
  uLongf got = out->size();
  int rc = uncompress(out->data(), &got, src, srcLen);
  if (rc != Z_OK || got != unpacked) {
    Sys_MessageBoxF("", "Uncompress Error.");
    out->clear();
    return 1;
  }
  out->resize(unpacked);
  return 0;
}
