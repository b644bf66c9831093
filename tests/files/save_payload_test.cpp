// Variable payloads: accepted as written, refused when any length lies.
#include <gtest/gtest.h>

#include "files/save_payload.h"
#include "support/save_writer.h"

namespace {

int Parse(const std::string& s, SaveVarPayload* v) {
  return Save_ParseVarPayload(reinterpret_cast<const uint8_t*>(s.data()), s.size(), v);
}
void SetU32(std::string* s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) (*s)[at + i] = static_cast<char>(v >> (8 * i));
}

TEST(SavePayload, WrittenPayloadsParse) {
  SaveVarPayload v;
  ASSERT_EQ(Parse(SaveWriter_IntVar({2, 3}, {1, 2, 3, 4, 5, 6}), &v), 0);
  EXPECT_EQ(v.type, 1u);
  EXPECT_EQ(v.dims, (std::vector<uint32_t>{2, 3}));
  EXPECT_EQ(v.dataLen, 48u);
  ASSERT_EQ(Parse(SaveWriter_StrVar({2}, {"ab", ""}), &v), 0);
  EXPECT_EQ(v.type, 3u);
  ASSERT_EQ(Parse(SaveWriter_IntVar({}, {7}), &v), 0);  // one element
}

TEST(SavePayload, LyingFieldsAreRefused) {
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    int expect;
  };
  const std::string base = SaveWriter_IntVar({2}, {1, 2});  // type, 1, 2, 16, values
  const Case cases[] = {
      {"type 0", 0, 0, kSaveErrCorrupt},
      {"type 4", 0, 4, kSaveErrCorrupt},
      {"9 dimensions", 4, 9, kSaveErrCorrupt},
      {"dimensions past end", 4, 8, kSaveErrCorrupt},
      {"dimension size", 8, 3, kSaveErrCorrupt},
      {"huge dimension", 8, 0xFFFFFFFF, kSaveErrTooLong},
      {"length past end", 12, 24, kSaveErrCorrupt},
      {"length above limit", 12, 40000001, kSaveErrTooLong},
  };
  for (const Case& c : cases) {
    std::string s = base;
    SetU32(&s, c.at, c.value);
    SaveVarPayload v;
    EXPECT_EQ(Parse(s, &v), c.expect) << c.what;
  }
  SaveVarPayload v;
  for (size_t cut = 0; cut < base.size(); ++cut)
    EXPECT_NE(Parse(base.substr(0, cut), &v), 0) << cut;
  std::string str = SaveWriter_StrVar({1}, {"abc"});
  SetU32(&str, 16, 4);  // the element's length runs past the end
  EXPECT_EQ(Parse(str, &v), kSaveErrCorrupt);
}

}  // namespace

namespace {

TEST(SavePayload, LayerPayloadsAreChecked) {
  const std::string good = SaveWriter_Layer(3, 2, std::string(24, '\x11'));
  SaveLayerPayload l;
  ASSERT_EQ(Save_ParseLayerPayload(reinterpret_cast<const uint8_t*>(good.data()), good.size(), &l),
            0);
  EXPECT_EQ(l.width, 3u);
  EXPECT_EQ(l.height, 2u);
  EXPECT_EQ(l.pixels[0], 0x11);
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    int expect;
  };
  const Case cases[] = {
      {"block size", 0, 1599, kSaveErrLayerBlock},
      {"pixel count", 4, 20, kSaveErrCorrupt},
      {"width", 8 + 120, 4, kSaveErrCorrupt},
      {"width above 8192", 8 + 120, 8193, kSaveErrNoMemory},
      {"height above 8192", 8 + 124, 0xFFFFFFFF, kSaveErrNoMemory},
  };
  for (const Case& c : cases) {
    std::string s = good;
    SetU32(&s, c.at, c.value);
    EXPECT_EQ(Save_ParseLayerPayload(reinterpret_cast<const uint8_t*>(s.data()), s.size(), &l),
              c.expect)
        << c.what;
  }
  for (size_t cut : {size_t(0), size_t(7), size_t(100), good.size() - 1})
    EXPECT_NE(Save_ParseLayerPayload(reinterpret_cast<const uint8_t*>(good.data()), cut, &l), 0)
        << cut;
}

}  // namespace
