// The dialogs' edit field: limits counted in characters and bytes, whole
// double-byte characters only, caret moves on character boundaries.
#include <gtest/gtest.h>

#include "platform/text.h"
#include "platform/ui_edit.h"

namespace {

std::string S(const char* utf8) { return Text_Utf8ToSjis(utf8); }

TEST(UiEditField, InsertKeepsTheLimits) {
  struct Case {
    const char* name;
    std::string initial;
    std::string typed;
    int32_t maxChars, maxBytes;
    std::string text;
  } cases[] = {
      {"no limit", "", S("名前abc"), 0, 4095, S("名前abc")},
      {"double-byte counts one", "", S("あいうえお"), 3, 4095, S("あいう")},
      {"mixed", S("a"), S("bあc"), 3, 4095, S("abあ")},
      {"bytes: a character that does not fit whole", "", S("abあ"), 0, 3, "ab"},
      {"control characters and line breaks left out", "", "a\r\nb\tc\x1b", 0, 4095, "abc"},
      {"full: nothing", S("ab"), "c", 2, 4095, S("ab")},
      {"a lone lead byte at the end is one character", "", "a\x82", 0, 4095, "a\x82"},
  };
  for (const Case& c : cases) {
    UiEditField f;
    f.text = c.initial;
    f.caret = f.text.size();
    f.maxChars = c.maxChars;
    f.maxBytes = c.maxBytes;
    f.Insert(c.typed);
    EXPECT_EQ(f.text, c.text) << c.name;
    EXPECT_EQ(f.caret, f.text.size()) << c.name;
  }
}

TEST(UiEditField, CaretStepsOverWholeCharacters) {
  UiEditField f;
  f.text = S("aあ\\b");  // 'あ' is 82 A0; a '\' follows it as a character of its own
  f.caret = f.text.size();
  ASSERT_EQ(f.text.size(), 5u);
  EXPECT_TRUE(f.Left());
  EXPECT_EQ(f.caret, 4u);
  EXPECT_TRUE(f.Left());
  EXPECT_EQ(f.caret, 3u);
  EXPECT_TRUE(f.Left());
  EXPECT_EQ(f.caret, 1u);  // before 'あ', never inside it
  EXPECT_TRUE(f.Delete());
  EXPECT_EQ(f.text, "a\\b");
  EXPECT_TRUE(f.Right());
  EXPECT_TRUE(f.Backspace());
  EXPECT_EQ(f.text, "ab");
  EXPECT_TRUE(f.Home());
  EXPECT_FALSE(f.Backspace());
  EXPECT_TRUE(f.End());
  EXPECT_FALSE(f.Delete());
  // A trail byte that looks like a lead byte: 'ー' is 81 5B, '表' is 95 5C.
  f.text = S("表ー");
  f.caret = f.text.size();
  EXPECT_TRUE(f.Backspace());
  EXPECT_EQ(f.text, S("表"));
  EXPECT_EQ(f.CharCount(), 1);
}

}  // namespace
