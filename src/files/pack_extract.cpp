// Loader of pack entries: stored or zlib data brought into memory, checked
// against the directory's hash and, when damaged, rebuilt from the entry's
// repair record (one 1 KiB block per entry can be rebuilt).
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "files/files.h"
#include "files/formats.h"
#include "base/base.h"

namespace {
// Deflate cannot expand data by more than about 1032:1; a directory that
// claims more is damaged and must not size an allocation.
constexpr uint64_t kZlibMaxRatio = 1032;

// XOR of byte j of every 1 KiB block of the data, the last block as if
// padded with zeros.
void DataParity(const uint8_t* data, uint32_t n, uint8_t* parity) {
  std::memset(parity, 0, kRepairBlock);
  for (uint32_t i = 0; i < n; ++i) parity[i % kRepairBlock] ^= data[i];
}

// Rebuilds, in every block whose check fails, the places where the stored
// parity differs from the parity the data had before any rebuild. A byte
// becomes the stored parity XOR the same place of every other block as the
// data stand; `cur` keeps that running XOR so each place costs O(1).
void RebuildBlocks(uint8_t* data, uint32_t n, const std::vector<uint16_t>& checks,
                   const uint8_t* stored, const uint8_t* computed) {
  uint8_t cur[kRepairBlock];
  std::memcpy(cur, computed, kRepairBlock);
  uint32_t blocks = uint32_t(checks.size());
  for (uint32_t b = 0; b < blocks; ++b) {
    uint32_t start = b * kRepairBlock;
    uint32_t len = n - start < kRepairBlock ? n - start : kRepairBlock;
    if (uint16_t(Crc32_Block(data + start, len)) == checks[b]) continue;
    for (uint32_t j = 0; j < len; ++j) {
      if (stored[j] == computed[j]) continue;
      uint8_t old = data[start + j];
      uint8_t v = uint8_t(stored[j] ^ cur[j] ^ old);
      data[start + j] = v;
      cur[j] = uint8_t(cur[j] ^ old ^ v);
    }
  }
}
}  // namespace

int File_VerifyAndRepair(PackFile& pf, uint8_t* data, uint32_t len, uint32_t hash) {
  if (Hash_Murmur2(data, len) == hash) return 0;
  uint32_t parity = 0, blocks = 0;
  if (!Pack_ReadU32(pf, &parity) || parity != kRepairBlock) return -1;
  // A record must describe exactly these data and fit inside the pack.
  uint64_t want = (uint64_t(len) + kRepairBlock - 1) / kRepairBlock;
  if (!Pack_ReadU32(pf, &blocks) || blocks != want) return -1;
  uint64_t at = File_TellInSource(pf);
  if (at > pf.size || uint64_t(blocks) * 2 + kRepairBlock > pf.size - at) return -1;
  std::vector<uint8_t> raw(size_t(blocks) * 2);
  std::vector<uint8_t> stored(kRepairBlock), computed(kRepairBlock);
  if (!Pack_Read(pf, raw.data(), raw.size()) || !Pack_Read(pf, stored.data(), kRepairBlock)) return -1;
  std::vector<uint16_t> checks(blocks);
  for (uint32_t b = 0; b < blocks; ++b) checks[b] = uint16_t(raw[2 * b] | raw[2 * b + 1] << 8);
  DataParity(data, len, computed.data());
  RebuildBlocks(data, len, checks, stored.data(), computed.data());
  return Hash_Murmur2(data, len) == hash ? 1 : -1;
}

namespace {
// The fields of a directory entry after its type byte.
struct EntryFields {
  uint8_t compression = 0;
  uint32_t unpacked = 0, stored = 0, hash = 0;
  uint64_t offset = 0;
};

bool ReadFields(PackFile& pf, uint64_t pos, EntryFields* f) {
  return File_SeekInSource(pf, pos) && File_ReadByte(pf, &f->compression) &&
         Pack_ReadU32(pf, &f->unpacked) && Pack_ReadU32(pf, &f->stored) &&
         File_ReadU64(pf, &f->offset) && Pack_ReadU32(pf, &f->hash);
}

// Inflates `src` into exactly `out.size` bytes, repairing the source once on
// a data error. 0, or -2 after the report.
int Inflate(PackFile& pf, uint8_t* src, const EntryFields& f, uint8_t* out, const char* pack,
            const char* name) {
  for (int attempt = 0;; ++attempt) {
    uLongf destLen = f.unpacked;
    int z = uncompress(out, &destLen, src, f.stored);
    // A stream that ends early would leave bytes unwritten: as bad as
    // damaged data.
    if (z == Z_OK && destLen != f.unpacked) z = Z_DATA_ERROR;
    if (z == Z_OK) return 0;
    if (z == Z_BUF_ERROR) {
      Err_ShowF(900040, 1, name);
      return -2;
    }
    if (z != Z_DATA_ERROR) {
      Err_ShowF(106010, 1, name);
      return -2;
    }
    if (attempt > 0 || File_VerifyAndRepair(pf, src, f.stored, f.hash) < 0) {
      Err_ShowF(104100, 1, pack, name);
      return -2;
    }
  }
}
}  // namespace

namespace {
// Opens the entry's pack and reads and checks its fields; the pack then
// stands at the entry's data. 0, or -3 / -2 after the report.
int OpenEntry(PackFile& pf, const FileRef& ref, const char* pack, const char* name,
              EntryFields* f) {
  if (Pack_Open(pf, ref.packNo) != 0) {
    Err_ShowF(901040, 1, pack);
    return -3;
  }
  if (!ReadFields(pf, ref.entryPos, f) || f->offset > pf.size || f->stored > pf.size - f->offset ||
      !File_SeekInSource(pf, f->offset)) {
    Err_ShowF(104010, 1, name);
    return -3;
  }
  if (f->compression != kPackStored && f->compression != kPackZlib) {
    Err_ShowF(901040, 1, pack);
    return -3;
  }
  // Stored data are their own unpacked bytes; the hash and the repair
  // record belong to the stored bytes, so the sizes must agree.
  bool sizesOk = f->compression == kPackStored
                     ? f->stored == f->unpacked
                     : uint64_t(f->unpacked) <= uint64_t(f->stored) * kZlibMaxRatio + 64;
  if (!sizesOk) {
    Err_ShowF(104100, 1, pack, name);
    return -2;
  }
  return 0;
}

// Reads the stored bytes and inflates them into `out`; 0 or negative after
// the report.
int LoadZlib(PackFile& pf, const EntryFields& f, uint8_t* out, const char* pack,
             const char* name) {
  auto* src = static_cast<uint8_t*>(std::malloc(f.stored ? f.stored : 1));
  if (!src) {
    Err_ShowF(104030, 1, name);
    return -3;
  }
  int r = -3;
  if (Pack_Read(pf, src, f.stored)) {
    r = Inflate(pf, src, f, out, pack, name);
  } else {
    Err_ShowF(104010, 1, name);
  }
  std::free(src);
  return r;
}
}  // namespace

int File_LoadPackEntry(FileRef& ref, const char* name) {
  const char* pack = ref.packNo < g_PackList.count ? g_PackList.names[ref.packNo].c_str() : "";
  PackFile pf;
  EntryFields f;
  if (int r = OpenEntry(pf, ref, pack, name, &f)) return r;
  auto* out = static_cast<uint8_t*>(std::malloc(f.unpacked ? f.unpacked : 1));
  if (!out) {
    Err_ShowF(104030, 1, name);
    return -3;
  }
  int r = 0;
  if (f.compression == kPackZlib) {
    r = LoadZlib(pf, f, out, pack, name);
  } else if (!Pack_Read(pf, out, f.stored) || File_VerifyAndRepair(pf, out, f.stored, f.hash) < 0) {
    Err_ShowF(104100, 1, pack, name);
    r = -2;
  }
  if (r != 0) {
    std::free(out);
    return r;
  }
  ref.data = out;
  ref.size = f.unpacked;
  return 0;
}
