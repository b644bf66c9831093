// Shared helpers checked against independent references: zlib's crc32,
// published MurmurHash2 values, glibc iconv for Shift-JIS.
#include <gtest/gtest.h>
#include <iconv.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "files/files.h"
#include "shell/shell.h"

namespace {

std::string IconvSjisToUtf8(const std::string& in) {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  EXPECT_NE(cd, (iconv_t)-1);
  std::string out(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  EXPECT_NE(iconv(cd, &src, &srcLeft, &dst, &dstLeft), size_t(-1));
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

TEST(Crc32Block, MatchesZlibOnManyBuffers) {
  std::mt19937 rng(7);
  for (size_t len : {0u, 1u, 3u, 4u, 5u, 255u, 4096u, 100003u}) {
    std::string buf(len, '\0');
    for (char& c : buf) c = char(rng());
    uLong ref = crc32(0, reinterpret_cast<const Bytef*>(buf.data()), uInt(len));
    EXPECT_EQ(Crc32_Block(buf.data(), len), uint32_t(ref)) << len;
  }
  EXPECT_EQ(Crc32_Block("123456789", 9), 0xCBF43926u);  // the check value of CRC-32
}

struct MurmurCase {
  std::string bytes;
  uint32_t expected;
};

TEST(HashMurmur2, PublishedValuesSeedZero) {
  // Values published for 32-bit MurmurHash2 with seed 0 (a database's
  // test suite): strings and the little-endian bytes of integers.
  const MurmurCase cases[] = {
      {"foo", 2414502773u},
      {"bar", 670491991u},
      {std::string("\x40\xE2\x01\x00", 4), 623211862u},  // u32 123456
      {std::string("\x03", 1), 3533626746u},              // u8 3
      {std::string("\x93\xA4\xFD\xFF\xFF\xFF\xFF\xFF", 8), 2708309598u},  // i64 -154477
      {"", 0u},
      {std::string("\x01", 1), 0u},
      {std::string("\x02\x00", 2), 0u},
      {std::string("\x03\x00\x00", 3), 0u},
  };
  for (const MurmurCase& c : cases)
    EXPECT_EQ(Hash_Murmur2(c.bytes.data(), c.bytes.size()), c.expected) << c.bytes.size();
}

TEST(StrToLowerSjis, LowersAsciiOnlyAndSkipsPairs) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"ABC\\Def.QBN", "abc\\def.qbn"},
      {"\x83\x5C" "A", "\x83\x5C" "a"},      // "ソ" then A: 0x5C stays a second byte
      {"\x82\x60Z", "\x82\x60z"},            // full-width A: second byte 0x60 untouched
      {"\x88\x41\x88\x5A", "\x88\x41\x88\x5A"},  // second bytes 'A' and 'Z' untouched
      {"Q\x81", "q\x81"},                    // a lead byte at the end stops
  };
  for (const Case& c : cases) {
    std::string s = c.in;
    Str_ToLowerSjis(s.data());
    EXPECT_EQ(s, c.out);
  }
}

TEST(StrSjisToUtf8, MatchesIconv) {
  const std::string samples[] = {
      "\x87\x40",                    // circled digit one (NEC row 13)
      "\x81\x92",                    // pound sign
      "\x83\x5C\x95\x5C",            // "ソ表": second byte 0x5C
      "abc\\\x82\xA0\x82\xA2",       // ASCII, backslash, hiragana
      "\xFA\x40",                    // IBM extension
  };
  for (const std::string& s : samples) {
    std::unique_ptr<char, decltype(&std::free)> got(Str_SjisToUtf8(s.c_str()), std::free);
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(std::string(got.get()), IconvSjisToUtf8(s));
  }
  EXPECT_EQ(Str_SjisToUtf8(nullptr), nullptr);
  // The length form converts that many bytes, or up to a zero byte.
  std::unique_ptr<char, decltype(&std::free)> part(Str_SjisToUtf8("\x82\xA0\x82\xA2xyz", 4),
                                                   std::free);
  EXPECT_STREQ(part.get(), IconvSjisToUtf8("\x82\xA0\x82\xA2").c_str());
  std::unique_ptr<char, decltype(&std::free)> shortText(Str_SjisToUtf8("ab", 100), std::free);
  EXPECT_STREQ(shortText.get(), "ab");
}

TEST(MemAllocZeroed, GivesClearedMemory) {
  for (size_t n : {1u, 17u, 65536u}) {
    std::unique_ptr<uint8_t, decltype(&std::free)> p(static_cast<uint8_t*>(Mem_AllocZeroed(n)),
                                                     std::free);
    ASSERT_NE(p, nullptr);
    for (size_t i = 0; i < n; ++i) ASSERT_EQ(p.get()[i], 0);
  }
}

}  // namespace
