// The bounded byte reader of the compiled data files and the way every
// reader gets its file.
#include <cstring>

#include "files/files.h"
#include "files/script_internal.h"
#include "base/base.h"

bool ByteReader::Skip(size_t n) {
  if (bad || Left() < n) {
    bad = true;
    return false;
  }
  p += n;
  return true;
}

uint8_t ByteReader::U8() {
  if (bad || Left() < 1) {
    bad = true;
    return 0;
  }
  return *p++;
}

uint16_t ByteReader::U16() {
  if (bad || Left() < 2) {
    bad = true;
    return 0;
  }
  uint16_t v = uint16_t(p[0] | p[1] << 8);
  p += 2;
  return v;
}

uint32_t ByteReader::U32() {
  if (bad || Left() < 4) {
    bad = true;
    return 0;
  }
  uint32_t v;
  std::memcpy(&v, p, 4);
  p += 4;
  return v;
}

uint64_t ByteReader::U64() {
  if (bad || Left() < 8) {
    bad = true;
    return 0;
  }
  uint64_t v;
  std::memcpy(&v, p, 8);
  p += 8;
  return v;
}

const char* ByteReader::ZStr() {
  if (bad) return nullptr;
  const void* z = std::memchr(p, 0, Left());
  if (!z) {
    bad = true;
    return nullptr;
  }
  const char* s = reinterpret_cast<const char*>(p);
  p = static_cast<const uint8_t*>(z) + 1;
  return s;
}

const uint8_t* ByteReader::Bytes(size_t n) {
  if (bad || Left() < n) {
    bad = true;
    return nullptr;
  }
  const uint8_t* s = p;
  p += n;
  return s;
}

namespace script {

bool ReadFile(const char* name, FileImage* out) {
  FileRef ref;
  if (File_LoadNeeded(ref, name) != 0) return false;
  *out = File_TakeImage(ref);
  return true;
}

int BadFile(const char* name) {
  Err_ShowF(104010, 1, name);
  return 1;
}

}  // namespace script
