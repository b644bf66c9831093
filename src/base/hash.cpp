#include <array>
#include <cstring>

#include "base/helpers.h"
#include "platform/text.h"

uint32_t Hash_Murmur2(const void* data, size_t len) {
  const uint32_t m = 0x5bd1e995;
  const int r = 24;
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t h = uint32_t(len);  // seed 0 ^ len
  while (len >= 4) {
    uint32_t k = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    k *= m;
    k ^= k >> r;
    k *= m;
    h *= m;
    h ^= k;
    p += 4;
    len -= 4;
  }
  switch (len) {
    case 3: h ^= uint32_t(p[2]) << 16; [[fallthrough]];
    case 2: h ^= uint32_t(p[1]) << 8; [[fallthrough]];
    case 1: h ^= uint32_t(p[0]); h *= m;
  }
  h ^= h >> 13;
  h *= m;
  h ^= h >> 15;
  return h;
}

namespace {
constexpr std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();
}  // namespace

uint32_t Crc32_Block(const void* data, size_t len) {
  const auto* p = static_cast<const uint8_t*>(data);
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < len; ++i) c = kCrcTable[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void Str_ToLowerSjis(char* s) {
  for (auto* p = reinterpret_cast<unsigned char*>(s); *p; ++p) {
    if (Sjis_IsLead(*p)) {
      if (!p[1]) break;
      ++p;
    } else if (*p >= 'A' && *p <= 'Z') {
      *p = uint8_t(*p + 32);
    }
  }
}
