// Save files: buffers written into new files, appended to and rewritten, and
// items read back; corrupt files refused with their error number.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "files/save.h"
#include "support/save_writer.h"
#include "support/test_env.h"

namespace {

std::string ReadFile(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
uint32_t U32At(const std::string& s, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, s.data() + at, 4);
  return v;
}
void Fill(int dno, const std::string& payload) {
  ASSERT_EQ(Save_AppendItem(dno - 1, kSaveItemVar, int16_t(dno), 
                            reinterpret_cast<const uint8_t*>(payload.data()),
                            uint32_t(payload.size())),
            0);
}
std::string ReadBack(const std::string& path, int dno, int* rc) {
  SaveItem it;
  *rc = Save_ReadItem(path, dno, &it);
  if (*rc) return {};
  std::vector<uint8_t> out;
  if (Save_Uncompress(it.stored.data(), uint32_t(it.stored.size()), it.unpacked, &out)) {
    *rc = -1;
    return {};
  }
  return std::string(out.begin(), out.end());
}

TEST(SaveFile, NewFileHoldsOneRecordAtTheFirstPlace) {
  TempDir dir;
  std::string path = dir.path() + "/sub/a.sd";
  std::string payload = SaveWriter_IntVar({}, {42});
  Fill(3, payload);
  uint32_t itemLen = g_SaveBuffers[2].size;
  ASSERT_EQ(Save_WriteFile(path), 0);
  EXPECT_EQ(g_SaveBuffers[2].size, 0u);  // a successful write frees the buffers
  std::string f = ReadFile(path);
  ASSERT_EQ(f.size(), 4112u + 4 + itemLen);
  EXPECT_EQ(f.substr(0, 4), "QVSD");
  EXPECT_EQ(U32At(f, 4), 480u);
  EXPECT_EQ(U32At(f, 8), 1u);
  EXPECT_EQ(U32At(f, 12), 1024u);
  for (uint32_t dno = 1; dno <= 1024; ++dno)
    EXPECT_EQ(U32At(f, 12 + 4 * dno), dno == 3 ? 4112u : 0u) << dno;
  int rc = 0;
  EXPECT_EQ(ReadBack(path, 3, &rc), payload);
  EXPECT_EQ(rc, 0);
}

TEST(SaveFile, AppendThenRewriteKeepsEveryRecord) {
  TempDir dir;
  std::string path = dir.path() + "/b.sd";
  Fill(3, SaveWriter_IntVar({}, {1}));
  ASSERT_EQ(Save_WriteFile(path), 0);
  size_t before = ReadFile(path).size();
  Fill(5, SaveWriter_IntVar({}, {5}));
  Fill(7, SaveWriter_StrVar({2}, {"seven", "x"}));
  ASSERT_EQ(Save_WriteFile(path), 0);
  std::string f = ReadFile(path);
  EXPECT_EQ(U32At(f, 12 + 12), 4112u);          // DNO 3 untouched
  EXPECT_EQ(U32At(f, 12 + 20), uint32_t(before));  // DNO 5 appended at the end
  EXPECT_EQ(U32At(f, 8), 3u);
  EXPECT_EQ(U32At(f, U32At(f, 12 + 28)), 7u);   // the place points at the DNO
  // Rewriting DNO 3 with a longer value keeps 5 and 7.
  Fill(3, SaveWriter_IntVar({4}, {9, 8, 7, 6}));
  ASSERT_EQ(Save_WriteFile(path), 0);
  int rc = 0;
  EXPECT_EQ(ReadBack(path, 3, &rc), SaveWriter_IntVar({4}, {9, 8, 7, 6}));
  EXPECT_EQ(ReadBack(path, 5, &rc), SaveWriter_IntVar({}, {5}));
  EXPECT_EQ(ReadBack(path, 7, &rc), SaveWriter_StrVar({2}, {"seven", "x"}));
  EXPECT_EQ(U32At(ReadFile(path), 8), 3u);
  EXPECT_EQ(ReadBack(path, 9, &rc), "");
  EXPECT_EQ(rc, kSaveErrNoRecord);
}

TEST(SaveFile, EveryItemKindRoundTrips) {
  TempDir dir;
  std::string path = dir.path() + "/k.sd";
  std::string layer = SaveWriter_Layer(2, 2, std::string(16, '\x7f'));
  ASSERT_EQ(Save_AppendItem(0, kSaveItemLayer, 0,
                            reinterpret_cast<const uint8_t*>(layer.data()),
                            uint32_t(layer.size())),
            0);
  uint32_t g = Save_BeginGroup(1);
  std::string a = SaveWriter_IntVar({}, {1}), b = SaveWriter_StrVar({}, {"s"});
  Save_AppendItem(1, kSaveItemVar, 4, reinterpret_cast<const uint8_t*>(a.data()), a.size());
  Save_AppendItem(1, kSaveItemVar, 9, reinterpret_cast<const uint8_t*>(b.data()), b.size());
  Save_EndGroup(1, g);
  ASSERT_EQ(Save_WriteFile(path), 0);
  int rc = 0;
  EXPECT_EQ(ReadBack(path, 1, &rc), layer);
  SaveItem grp;
  ASSERT_EQ(Save_ReadItem(path, 2, &grp), 0);
  ASSERT_EQ(grp.kind, kSaveItemGroup);
  size_t pos = 0, used = 0;
  std::vector<std::pair<int, std::string>> subs;
  SaveItem sub;
  while (pos < grp.stored.size() &&
         Save_ParseItem(grp.stored.data() + pos, grp.stored.size() - pos, &sub, &used) == 0) {
    std::vector<uint8_t> out;
    ASSERT_EQ(Save_Uncompress(sub.stored.data(), sub.stored.size(), sub.unpacked, &out), 0);
    subs.push_back({sub.varNo, std::string(out.begin(), out.end())});
    pos += used;
  }
  ASSERT_EQ(subs.size(), 2u);
  EXPECT_EQ(subs[0], std::make_pair(4, a));
  EXPECT_EQ(subs[1], std::make_pair(9, b));
  EXPECT_GE(grp.unpacked, a.size() + b.size());
}

TEST(SaveFile, LastBufferAndPlacesOutsideTheTable) {
  TempDir dir;
  std::string path = dir.path() + "/l.sd";
  Fill(1024, SaveWriter_IntVar({}, {1024}));
  ASSERT_EQ(Save_WriteFile(path), 0);
  int rc = 0;
  EXPECT_EQ(ReadBack(path, 1024, &rc), SaveWriter_IntVar({}, {1024}));
  EXPECT_EQ(ReadBack(path, 1025, &rc), "");
  EXPECT_EQ(rc, kSaveErrNoRecord);
  EXPECT_EQ(ReadBack(path, 0, &rc), "");
  EXPECT_EQ(rc, kSaveErrNoRecord);
  Save_FreeBuffers(1024);  // out of range: nothing happens
  Save_FreeBuffers(-1);
}

TEST(SaveFile, NamesAreCheckedAndCompleted) {
  std::string out;
  EXPECT_EQ(Save_BuildName("Slot1", &out), 0);
  EXPECT_EQ(out, "slot1.sd");
  EXPECT_EQ(Save_BuildName("x.SD", &out), 0);
  EXPECT_EQ(out, "x.sd");
  EXPECT_EQ(Save_BuildName(std::string(32, 'a'), &out), 0);
  EXPECT_EQ(Save_BuildName(std::string(33, 'a'), &out), kSaveErrNameLong);
  EXPECT_EQ(Save_BuildName("a/b", &out), kSaveErrBackslash);
  // 表 and ソ end in 0x5C: part of the character, not a separator.
  EXPECT_EQ(Save_BuildName("\x95\x5c" "\x83\x5c" "A", &out), 0);
  EXPECT_EQ(out, "\x95\x5c" "\x83\x5c" "a.sd");
  EXPECT_EQ(Save_BuildName("\x95\x5c\\x", &out), kSaveErrBackslash);
}

struct CorruptCase {
  const char* what;
  int expect;
  SaveFileDesc desc;
  size_t cut;  // bytes kept (0: all)
};

SaveFileDesc Good() {
  SaveFileDesc s;
  SaveItemDesc it;
  it.varNo = 1;
  it.payload = SaveWriter_IntVar({}, {7});
  s.records.push_back({2, {it}});
  return s;
}

TEST(SaveFile, CorruptFilesAreRefusedAndLeftAlone) {
  std::vector<CorruptCase> cases;
  auto add = [&](const char* w, int e, auto edit, size_t cut = 0) {
    SaveFileDesc s = Good();
    edit(s);
    cases.push_back({w, e, s, cut});
  };
  add("magic", kSaveErrMagic, [](SaveFileDesc& s) { s.magic = "QVSX"; });
  add("version", kSaveErrVersion, [](SaveFileDesc& s) { s.version = 479; });
  add("short header", kSaveErrMagic, [](SaveFileDesc&) {}, 3);
  add("table cut", kSaveErrCorrupt, [](SaveFileDesc&) {}, 2000);
  add("offset past end", kSaveErrCorrupt,
      [](SaveFileDesc& s) { s.tableOverrides.push_back({2, 0x7FFFFFF0u}); });
  add("offset inside table", kSaveErrCorrupt,
      [](SaveFileDesc& s) { s.tableOverrides.push_back({2, 16}); });
  add("dno mismatch", kSaveErrCorrupt,
      [](SaveFileDesc& s) { s.tableOverrides.push_back({5, 4112}); });
  add("stored past end", kSaveErrCorrupt,
      [](SaveFileDesc& s) { s.records[0].items[0].storedOverride = 0xFFFFFFF0; });
  add("record cut", kSaveErrCorrupt, [](SaveFileDesc&) {}, 4112 + 10);
  for (const CorruptCase& c : cases) {
    TempDir dir;
    std::string bytes = SaveWriter_File(c.desc);
    if (c.cut) bytes.resize(c.cut);
    dir.Write("c.sd", bytes);
    std::string path = dir.path() + "/c.sd";
    SaveItem it;
    int rc = Save_ReadItem(path, 2, &it);
    if (std::string(c.what) == "dno mismatch") rc = Save_ReadItem(path, 5, &it);
    EXPECT_EQ(rc, c.expect) << c.what;
    Fill(2, "new");  // a write that would replace DNO 2
    EXPECT_EQ(Save_WriteFile(path), c.expect) << c.what;
    EXPECT_TRUE(ReadFile(path) == bytes) << c.what;  // untouched
    Save_FreeBuffers(-1);
  }
}

TEST(SaveFile, OverlappingRecordsRefuseTheRewrite) {
  TempDir dir;
  SaveFileDesc s = Good();
  s.records.push_back({3, {s.records[0].items[0]}});
  std::string bytes = SaveWriter_File(s);
  // Place 3 points into the middle of record 2: the DNO check fails there.
  bytes.replace(12 + 12, 4, std::string("\x12\x10\x00\x00", 4));
  dir.Write("o.sd", bytes);
  Fill(2, "x");
  EXPECT_EQ(Save_WriteFile(dir.path() + "/o.sd"), kSaveErrCorrupt);
}

TEST(SaveFile, StreamsThatInflateShortOrLongFail) {
  std::string payload(1000, 'q');
  SaveItemDesc it;
  it.payload = payload;
  std::string item = SaveWriter_Item(it);
  const uint8_t* z = reinterpret_cast<const uint8_t*>(item.data()) + 12;
  uint32_t zl = uint32_t(item.size() - 12);
  std::vector<uint8_t> out;
  EXPECT_EQ(Save_Uncompress(z, zl, 1000, &out), 0);
  EXPECT_NE(Save_Uncompress(z, zl, 999, &out), 0);   // long
  EXPECT_NE(Save_Uncompress(z, zl, 1001, &out), 0);  // short
  EXPECT_NE(Save_Uncompress(z, zl - 1, 1000, &out), 0);  // cut stream
  EXPECT_NE(Save_Uncompress(z, zl, 0xFFFFFFFFu, &out), 0);  // refused before allocating
  std::string junk = "not zlib at all";
  EXPECT_NE(Save_Uncompress(reinterpret_cast<const uint8_t*>(junk.data()), junk.size(), 10,
                            &out),
            0);
}

}  // namespace
