// Save files: writing the filled DNO buffers (new file, append, rewrite) and
// reading one record's item back. The file's table is checked whole against
// the file size before any of it is used.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "files/save.h"
#include "platform/file_write.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

uint32_t GetU32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
}
void PutU32(std::vector<uint8_t>* v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v->push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void SetU32(uint8_t* p, uint32_t x) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(x >> (8 * i));
}

bool ReadAll(std::FILE* f, std::vector<uint8_t>* out) {
  if (std::fseek(f, 0, SEEK_END) != 0) return false;
  long n = std::ftell(f);
  if (n < 0 || std::fseek(f, 0, SEEK_SET) != 0) return false;
  out->resize(size_t(n));
  return n == 0 || std::fread(out->data(), 1, size_t(n), f) == size_t(n);
}

// One record of an existing file: DNO, offset and length (up to the next
// record or the end of the file).
struct Rec {
  uint32_t dno, offset, length;
};

// Checks the header and the table of a whole file image; fills the records
// in file order.
int CheckImage(const std::vector<uint8_t>& img, std::vector<Rec>* recs) {
  if (img.size() < 4 || std::memcmp(img.data(), "QVSD", 4) != 0) return kSaveErrMagic;
  if (img.size() < 8 || GetU32(img.data() + 4) != kSaveVersion) return kSaveErrVersion;
  if (img.size() < kSaveRecordsStart || img.size() > 0xFFFFFFFFu) return kSaveErrCorrupt;
  const uint32_t size = static_cast<uint32_t>(img.size());
  recs->clear();
  for (uint32_t dno = 1; dno <= kSaveBufferCount; ++dno) {
    uint32_t off = GetU32(img.data() + 12 + 4 * dno);
    if (off == 0) continue;
    if (off < kSaveRecordsStart || off > size - 4 || GetU32(img.data() + off) != dno)
      return kSaveErrCorrupt;
    recs->push_back({dno, off, 0});
  }
  std::sort(recs->begin(), recs->end(),
            [](const Rec& a, const Rec& b) { return a.offset < b.offset; });
  for (size_t i = 0; i < recs->size(); ++i) {
    uint32_t end = i + 1 < recs->size() ? (*recs)[i + 1].offset : size;
    // Two places naming one record, or a record too short for its item header.
    uint32_t len = end - (*recs)[i].offset;
    if (len < 4 + kSaveItemHeaderBytes) return kSaveErrCorrupt;
    // The first item's data must lie inside the record.
    if (GetU32(img.data() + (*recs)[i].offset + 8) > len - 4 - kSaveItemHeaderBytes)
      return kSaveErrCorrupt;
    (*recs)[i].length = len;
  }
  return 0;
}

void AppendBuffer(std::vector<uint8_t>* out, uint32_t table[], int i) {
  table[i] = static_cast<uint32_t>(out->size());
  PutU32(out, uint32_t(i + 1));
  const SaveBuffer& b = g_SaveBuffers[i];
  out->insert(out->end(), b.data, b.data + b.size);
}

void FinishImage(std::vector<uint8_t>* img, const uint32_t table[]) {
  uint32_t count = 0;
  for (int i = 0; i < kSaveBufferCount; ++i) {
    SetU32(img->data() + 16 + 4 * i, table[i]);
    count += table[i] != 0;
  }
  SetU32(img->data() + 8, count);
  SetU32(img->data() + 12, kSaveBufferCount);
}

std::vector<uint8_t> EmptyImage() {
  std::vector<uint8_t> img(kSaveRecordsStart, 0);
  std::memcpy(img.data(), "QVSD", 4);
  SetU32(img.data() + 4, kSaveVersion);
  return img;
}

}  // namespace

int Save_WriteFile(const std::string& hostPath, int* sysErr) {
  int ignored = 0;
  if (!sysErr) sysErr = &ignored;
  *sysErr = 0;
  std::vector<uint8_t> img;
  std::vector<Rec> recs;
  uint32_t table[kSaveBufferCount] = {};
  FilePtr f(std::fopen(hostPath.c_str(), "rb"));
  const bool existed = f != nullptr;
  if (!f) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(hostPath).parent_path(), ec);
    img = EmptyImage();
  } else {
    bool ok = ReadAll(f.get(), &img);
    f.reset();
    if (!ok) {
      *sysErr = EIO;
      return kSaveErrCreate;
    }
    if (int rc = CheckImage(img, &recs)) return rc;
    for (const Rec& r : recs) table[r.dno - 1] = r.offset;
    bool replaces = false;
    for (const Rec& r : recs) replaces |= g_SaveBuffers[r.dno - 1].size != 0;
    if (replaces) {
      // Rewrite in file order; a filled buffer takes its old record's place.
      std::vector<uint8_t> old = std::move(img);
      img.assign(old.begin(), old.begin() + kSaveRecordsStart);
      std::fill(std::begin(table), std::end(table), 0u);
      bool done[kSaveBufferCount] = {};
      for (const Rec& r : recs) {
        int i = int(r.dno) - 1;
        if (g_SaveBuffers[i].size != 0) {
          AppendBuffer(&img, table, i);
          done[i] = true;
        } else {
          table[i] = static_cast<uint32_t>(img.size());
          img.insert(img.end(), old.begin() + r.offset, old.begin() + r.offset + r.length);
        }
      }
      for (int i = 0; i < kSaveBufferCount; ++i)
        if (g_SaveBuffers[i].size != 0 && !done[i]) AppendBuffer(&img, table, i);
      if (img.size() > 0xFFFFFFFFu) {
        *sysErr = EFBIG;
        return kSaveErrCreate;
      }
      FinishImage(&img, table);
      if ((*sysErr = FileW_Replace(hostPath, img.data(), img.size())) != 0) return kSaveErrCreate;
      Save_FreeBuffers(-1);
      return 0;
    }
  }
  // New file: written whole beside its place and moved there. Append: the
  // new records go to the end first and the header and table, which make
  // them reachable, only once they are on the disk; a failure leaves the
  // old file as it was.
  size_t oldSize = img.size();
  for (int i = 0; i < kSaveBufferCount; ++i)
    if (g_SaveBuffers[i].size != 0) AppendBuffer(&img, table, i);
  if (img.size() > 0xFFFFFFFFu) {
    *sysErr = EFBIG;
    return kSaveErrCreate;
  }
  FinishImage(&img, table);
  *sysErr = existed ? FileW_AppendThenPatch(hostPath, oldSize, img.data() + oldSize, img.size() - oldSize,
                                            img.data(), kSaveRecordsStart)
                    : FileW_Replace(hostPath, img.data(), img.size());
  if (*sysErr) return kSaveErrCreate;
  Save_FreeBuffers(-1);
  return 0;
}

int Save_ReadItem(const std::string& hostPath, int dno, SaveItem* item) {
  FilePtr f(std::fopen(hostPath.c_str(), "rb"));
  if (!f) return kSaveErrOpenRead;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return kSaveErrOpenRead;
  long sizeL = std::ftell(f.get());
  if (sizeL < 0 || std::fseek(f.get(), 0, SEEK_SET) != 0) return kSaveErrOpenRead;
  const uint64_t size = uint64_t(sizeL);
  uint8_t head[kSaveHeaderBytes] = {};
  size_t got = std::fread(head, 1, sizeof head, f.get());
  if (got < 4 || std::memcmp(head, "QVSD", 4) != 0) return kSaveErrMagic;
  if (got < 8 || GetU32(head + 4) != kSaveVersion) return kSaveErrVersion;
  if (dno < 1 || dno > kSaveBufferCount) return kSaveErrNoRecord;
  uint8_t place[4];
  if (size < kSaveRecordsStart || std::fseek(f.get(), 12 + 4 * dno, SEEK_SET) != 0 ||
      std::fread(place, 1, 4, f.get()) != 4)
    return kSaveErrCorrupt;
  uint32_t off = GetU32(place);
  if (off == 0) return kSaveErrNoRecord;
  uint8_t rec[4 + kSaveItemHeaderBytes];
  if (off < kSaveRecordsStart || uint64_t(off) + sizeof rec > size ||
      std::fseek(f.get(), long(off), SEEK_SET) != 0 ||
      std::fread(rec, 1, sizeof rec, f.get()) != sizeof rec || GetU32(rec) != uint32_t(dno))
    return kSaveErrCorrupt;
  uint32_t stored = GetU32(rec + 8);
  if (stored > size - off - sizeof rec) return kSaveErrCorrupt;
  item->kind = rec[4];
  item->varNo = static_cast<uint16_t>(rec[6] | rec[7] << 8);
  item->unpacked = GetU32(rec + 12);
  item->stored.resize(stored);
  if (stored && std::fread(item->stored.data(), 1, stored, f.get()) != stored)
    return kSaveErrCorrupt;
  return 0;
}
