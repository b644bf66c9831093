#include <gtest/gtest.h>

#include "platform/text.h"

TEST(Text, SjisToUtf8Table) {
  struct Case { std::string sjis; std::string utf8; };
  const Case cases[] = {
      {"abc", "abc"},
      {"\x87\x40", "①"},           // NEC special row
      {"\x81\x92", "￡"},
      {"\x95\x5c", "表"},          // second byte is the backslash code
      {"\x82\xa0\x82\xa2", "あい"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Text_SjisToUtf8(c.sjis), c.utf8) << c.utf8;
}

TEST(Text, InvalidBytesBecomeQuestionMarks) {
  EXPECT_EQ(Text_SjisToUtf8("a\x82"), "a?");        // lone lead byte at the end
  EXPECT_EQ(Text_SjisToUtf8("\xff" "b"), "?b");     // never a valid byte
  EXPECT_EQ(Text_Utf8ToSjis("\xc3"), "?");          // truncated UTF-8
}

TEST(Text, RoundTrips) {
  const std::string sjis = "\x83\x65\x83\x58\x83\x67\x95\x5c";  // テスト表
  EXPECT_EQ(Text_Utf8ToSjis(Text_SjisToUtf8(sjis)), sjis);
  std::u16string w = Text_SjisToUtf16(sjis);
  EXPECT_EQ(w, u"テスト表");
  EXPECT_EQ(Text_Utf16ToSjis(w), sjis);
}

TEST(Text, LeadTable) {
  EXPECT_FALSE(Sjis_IsLead(0x80));
  EXPECT_TRUE(Sjis_IsLead(0x81));
  EXPECT_TRUE(Sjis_IsLead(0x9F));
  EXPECT_FALSE(Sjis_IsLead(0xA0));
  EXPECT_FALSE(Sjis_IsLead(0xDF));
  EXPECT_TRUE(Sjis_IsLead(0xE0));
  EXPECT_TRUE(Sjis_IsLead(0xFC));
  EXPECT_FALSE(Sjis_IsLead(0xFD));
}
