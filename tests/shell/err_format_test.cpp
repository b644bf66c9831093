// The checked formatter: hostile and mismatched format texts never read an
// argument that was not passed, and long results are cut on a character.
#include <gtest/gtest.h>

#include <cstring>
#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"
#include "shell/shell.h"

namespace {

template <typename... A>
std::string Fmt(const char* format, const A&... args) {
  const ErrArg list[] = {ErrArg(args)..., ErrArg()};
  char buf[kErrTextBufferSize];
  size_t n = Err_FormatChecked(buf, sizeof buf, format, list, sizeof...(A));
  EXPECT_EQ(n, std::strlen(buf));
  return buf;
}

TEST(ErrFormatChecked, EngineConversions) {
  EXPECT_EQ(Fmt("%d|%u|%x|%X|%c|%%|%s", -5, 7u, 255, 255, 'Q', "ab"), "-5|7|ff|FF|Q|%|ab");
  EXPECT_EQ(Fmt("[%05d][%-4d][%4s][%-4s][%.2s]", 42, 7, "ab", "ab", "xyz"),
            "[00042][7   ][  ab][ab  ][xy]");
  EXPECT_EQ(Fmt("%I64d %lld %lu", int64_t(-9000000000LL), int64_t(1) << 40, 3000000000u),
            "-9000000000 1099511627776 3000000000");
  // Without a length, integers show as the 32-bit values printf would show.
  EXPECT_EQ(Fmt("%d %u", int64_t(0x100000005LL), -1), "5 4294967295");
}

TEST(ErrFormatChecked, HostileTextsReadNothingThatWasNotPassed) {
  struct Case {
    const char* format;
    std::string expected;
  } cases[] = {
      {"%s %s %s", "one  "},                 // more conversions than arguments
      {"%n%p", "%n%p"},                      // not ours: shown as written
      {"%d", "?"},                           // a string where a number belongs
      {"%5", "%5"},                          // unfinished conversion at the end
      {"100%", "100%"},
      {"%999999999d", "?"},                  // huge width: still the kind check
  };
  for (const Case& c : cases) EXPECT_EQ(Fmt(c.format, "one"), c.expected) << c.format;
  EXPECT_EQ(Fmt("%s", 12), "?");
  EXPECT_EQ(Fmt("%s", static_cast<const char*>(nullptr)), "(null)");
  // A huge width on a fitting argument is padded only up to the buffer.
  std::string wide = Fmt("%99999d", 1);
  EXPECT_LT(wide.size(), kErrTextBufferSize);
  EXPECT_EQ(wide.back(), '1');
}

TEST(ErrFormatChecked, CutsOnShiftJisBoundary) {
  // 600 double-byte characters (1200 bytes) do not fit in 1024.
  std::string text;
  for (int i = 0; i < 600; ++i) text += "\x82\xA0";
  std::string got = Fmt("%s", text.c_str());
  EXPECT_EQ(got.size(), 1022u);  // 511 whole characters, never 1023
  EXPECT_EQ(got.substr(0, 2), "\x82\xA0");
  // The same through the format itself, after one ASCII byte.
  std::string format = "x" + text;
  got = Fmt(format.c_str());
  EXPECT_EQ(got.size(), 1023u);
  EXPECT_EQ(Text_SjisToUtf8(got).find('?'), std::string::npos);
}

TEST(ErrFormatChecked, ZeroCapacityAndNullFormat) {
  char buf[4] = {'z', 'z', 'z', 'z'};
  EXPECT_EQ(Err_FormatChecked(buf, 0, "abc", nullptr, 0), 0u);
  EXPECT_EQ(buf[0], 'z');
  EXPECT_EQ(Err_FormatChecked(buf, sizeof buf, nullptr, nullptr, 0), 0u);
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(Err_FormatChecked(buf, sizeof buf, "abcdef", nullptr, 0), 3u);
  EXPECT_STREQ(buf, "abc");
}

}  // namespace

namespace {

// The licence notice names every linked library whose licence asks for a
// credit.
TEST(ErrLicence, NamesEveryCreditedLibrary) {
  const std::string text = Text_SjisToUtf8(Err_GetText(100000));
  for (const char* lib : {"zlib", "libpng", "libjpeg", "Independent JPEG Group", "FreeType",
                          "fontconfig", "SDL2", "libogg", "libvorbis", "FFmpeg", "libavcodec",
                          "libavformat", "libavutil", "libswscale", "libswresample", "LGPL",
                          "libepoxy"})
    EXPECT_NE(text.find(lib), std::string::npos) << lib;
  EXPECT_EQ(text.rfind("■ライセンスについて", 0), 0u);
}

// Every library the build links into the engine (its file name without
// "lib" and suffix) has its credit in the notice. A library linked later
// that is missing from this table fails here until its credit is written.
TEST(ErrLicence, CreditsEveryLibraryTheBuildLinks) {
  struct Credit { const char* library; std::vector<const char*> names; };
  const Credit credits[] = {
      {"z", {"zlib"}},
      {"png", {"libpng"}},
      {"jpeg", {"libjpeg", "Independent JPEG Group"}},
      {"SDL2", {"SDL2"}},
      {"X11", {"libX11", "X.Org", "MIT"}},
      {"Xext", {"libXext", "X.Org", "MIT"}},
      {"dbus-1", {"libdbus-1", "AFL 2.1", "GPL 2"}},
      {"epoxy", {"libepoxy"}},
      {"freetype", {"FreeType"}},
      {"fontconfig", {"fontconfig"}},
      {"vorbisfile", {"libvorbis", "libogg"}},
      {"avcodec", {"FFmpeg", "libavcodec", "LGPL"}},
      {"avutil", {"FFmpeg", "libavutil", "LGPL"}},
      {"avformat", {"FFmpeg", "libavformat", "LGPL"}},
      {"swscale", {"FFmpeg", "libswscale", "LGPL"}},
      {"swresample", {"FFmpeg", "libswresample", "LGPL"}},
      {"dl", {}},  // part of the C library
      {"pthread", {}},
  };
  const std::string text = Text_SjisToUtf8(Err_GetText(100000));
  const std::string linked = ENGINE_LINKED_LIBS;
  ASSERT_FALSE(linked.empty());
  size_t checked = 0;
  for (size_t at = 0; at <= linked.size();) {
    size_t comma = std::min(linked.find(',', at), linked.size());
    const std::string lib = linked.substr(at, comma - at);
    at = comma + 1;
    const Credit* c = nullptr;
    for (const Credit& k : credits)
      if (lib == k.library) c = &k;
    if (!c) {
      ADD_FAILURE() << "the engine links " << lib << ", which the notice does not credit";
      continue;
    }
    for (const char* name : c->names) EXPECT_NE(text.find(name), std::string::npos) << lib << ": " << name;
    checked++;
  }
  EXPECT_GE(checked, 15u);  // the libraries of the build as it stands
}

// "/info" shows the notice through the error formatter: all of it fits the
// text buffers, down to its last sentence.
TEST(ErrLicence, IsShownWhole) {
  const char* notice = Err_GetText(100000);
  EXPECT_LT(std::strlen(notice), kErrTextBufferSize);
  const std::string shown = Fmt(Err_FormatPlain(100000, 0));
  EXPECT_EQ(std::strlen(notice), shown.size());
  EXPECT_TRUE(shown == notice);
}

}  // namespace
