// The compiler store as a source: data area parsing and its bounds.
#include <cstring>

#include "files_test_util.h"

namespace {

std::string U32(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i) s += char(uint8_t(v >> (8 * i)));
  return s;
}

TEST(FileStore, AreaRecordsBecomeEntries) {
  std::string area = Fixture_StoreArea({{"qvbin/qvt.qbn", "abc"}, {"a.txt", ""}});
  ASSERT_EQ(File_StoreSetArea(reinterpret_cast<const uint8_t*>(area.data()), area.size(), 2), 0);
  ASSERT_EQ(g_CompiledFiles.entries.size(), 2u);
  EXPECT_EQ(LoadAll("qvbin\\qvt.qbn"), "abc");
  EXPECT_EQ(LoadAll("a.txt"), "");
}

TEST(FileStore, EmptyHandOverIsAnEmptyStore) {
  EXPECT_EQ(File_StoreSetArea(nullptr, 0, 0), 0);
  uint8_t sixteen[16] = {};
  EXPECT_EQ(File_StoreSetArea(sixteen, 16, 0), 0);
  EXPECT_TRUE(g_CompiledFiles.entries.empty());
}

TEST(FileStore, RecordsPastTheAreaAreRefused) {
  std::string good = Fixture_StoreArea({{"a.txt", "hello"}});
  const struct {
    const char* what;
    std::string area;
    uint32_t count;
  } cases[] = {
      {"name length past end", U32(1000) + "ab", 1},
      {"data length past end", U32(1) + "a" + U32(99) + "xy", 1},
      {"length field cut", U32(1) + "a" + "\x01\x00", 1},
      {"count beyond the records", good, 2},
      {"count that could never fit", good, 0xFFFFFFFFu},
      {"name too long for the lookup", U32(300) + std::string(300, 'n') + U32(0), 1},
  };
  for (const auto& c : cases) {
    ErrCapture w;
    EXPECT_EQ(File_StoreSetArea(reinterpret_cast<const uint8_t*>(c.area.data()), c.area.size(),
                                c.count),
              -1)
        << c.what;
    EXPECT_EQ(w.Numbers(), std::vector<int32_t>{104010}) << c.what;
    EXPECT_TRUE(g_CompiledFiles.entries.empty()) << c.what;
  }
}

TEST(FileStore, NameEndsAtItsZeroAndIsLowerCased) {
  std::string area = U32(7) + std::string("A.txt\0\0", 7) + U32(2) + "ok";
  ASSERT_EQ(File_StoreSetArea(reinterpret_cast<const uint8_t*>(area.data()), area.size(), 1), 0);
  EXPECT_EQ(g_CompiledFiles.entries[0].name, "a.txt");
  EXPECT_EQ(LoadAll("a.txt"), "ok");
}

}  // namespace
