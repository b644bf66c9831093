// An open pack: a host file read from a base offset, every position relative
// to that base, every read exact.
#include <cstring>

#include "files/files.h"

PackFile::~PackFile() { Pack_Close(*this); }

int Pack_OpenPath(PackFile& pf, const char* hostPath, uint64_t base) {
  Pack_Close(pf);
  std::FILE* fp = std::fopen(hostPath, "rb");
  if (!fp) return -1;
  // The size bounds every later read, offset and count taken from the pack.
  if (std::fseek(fp, 0, SEEK_END) != 0) {
    std::fclose(fp);
    return -1;
  }
  long end = std::ftell(fp);
  if (end < 0 || uint64_t(end) < base || std::fseek(fp, long(base), SEEK_SET) != 0) {
    std::fclose(fp);
    return -1;
  }
  pf.fp = fp;
  pf.open = 1;
  pf.base = base;
  pf.size = uint64_t(end) - base;
  return 0;
}

int Pack_Open(PackFile& pf, uint32_t packNo) {
  if (packNo >= g_PackList.count) {
    Pack_Close(pf);
    return -1;
  }
  uint64_t base = g_FileAppended.present ? g_FileAppended.packStart : 0;
  return Pack_OpenPath(pf, g_PackList.hostPaths[packNo].c_str(), base);
}

bool Pack_Read(PackFile& pf, void* buf, size_t n) {
  if (!pf.open) return false;
  return n == 0 || std::fread(buf, 1, n, pf.fp) == n;
}

bool Pack_ReadU32(PackFile& pf, uint32_t* v) {
  uint8_t b[4];
  if (!Pack_Read(pf, b, 4)) return false;
  *v = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  return true;
}

bool File_ReadByte(PackFile& pf, uint8_t* v) { return Pack_Read(pf, v, 1); }

bool File_ReadU64(PackFile& pf, uint64_t* v) {
  uint32_t lo = 0, hi = 0;
  if (!Pack_ReadU32(pf, &lo) || !Pack_ReadU32(pf, &hi)) return false;
  *v = uint64_t(hi) << 32 | lo;
  return true;
}

bool File_SeekInSource(PackFile& pf, uint64_t pos) {
  if (!pf.open || pos > pf.size) return false;
  return std::fseek(pf.fp, long(pf.base + pos), SEEK_SET) == 0;
}

uint64_t File_TellInSource(PackFile& pf) {
  if (!pf.open) return 0;
  long at = std::ftell(pf.fp);
  return at < 0 || uint64_t(at) < pf.base ? 0 : uint64_t(at) - pf.base;
}

void Pack_Close(PackFile& pf) {
  if (pf.fp) std::fclose(pf.fp);
  pf.fp = nullptr;
  pf.open = 0;
  pf.base = 0;
  pf.size = 0;
}
