// Built-in error texts: the texts that must be right even before the
// error-text file is read (memory, files, packs), and the library notices.
#include <mutex>
#include <string>

#include "platform/text.h"
#include "base/err_texts.h"

namespace {

struct BuiltIn {
  int32_t number;
  const char* utf8;
};

// Shown by "/info": a credit for every library linked into the engine whose
// licence asks for one (libraries under one licence share a line). Printed
// through the formatter like every error text, so it holds no bare percent
// sign and stays below the 1024 bytes of the text buffers in Shift-JIS.
constexpr const char kLicenceText[] =
    "■ライセンスについて\n"
    "\n"
    "TAVREN は次のライブラリを使用しています。各ライブラリの著作権は"
    "それぞれの著作者に帰属し、各ライセンスの条件に従って配布されています。\n"
    "\n"
    "・zlib (Jean-loup Gailly, Mark Adler) - zlib ライセンス\n"
    "・libpng (PNG Reference Library) - libpng ライセンス\n"
    "・libjpeg-turbo: このソフトウェアの一部は Independent JPEG Group の成果に基づいています。"
    " (IJG ライセンス, 修正 BSD ライセンス)\n"
    "・FreeType: Portions of this software are copyright (C) The FreeType Project "
    "(www.freetype.org). All rights reserved. - FreeType ライセンス\n"
    "・SDL2 (Sam Lantinga ほか) - zlib ライセンス\n"
    "・Ogg Vorbis: libogg, libvorbis (Xiph.Org Foundation) - BSD 形式のライセンス\n"
    "・FFmpeg: libavcodec, libavformat, libavutil, libswscale, libswresample"
    " - LGPL 2.1 以降\n"
    "・fontconfig (Keith Packard ほか), libepoxy (Intel Corporation ほか),"
    " libX11, libXext (X.Org ほか) - MIT 形式のライセンス\n"
    "・libdbus-1 (Red Hat ほか) - AFL 2.1 または GPL 2 以降\n"
    "\n"
    "これらのライブラリは無保証で提供されています。"
    "各ライセンスの全文はそれぞれの配布物に含まれています。";

constexpr BuiltIn kBuiltIns[kErrBuiltInCount] = {
    {100000, kLicenceText},
    {100010, "メモリ不足です。"},
    {104010, "[%s]ファイルを\n読み込めませんでした。"},
    {104030, "メモリ不足のため[%s]ファイルを\n読み込めませんでした。"},
    {104060, "[%s]ファイルが\n存在しません。"},
    {104100, "パックファイル中に破損ファイルが見つかりました。\n\nPacFile = %s\nFile = %s"},
    {104110, "フォルダの数が多すぎます。"},
    {104111, "フォルダの階層が深すぎます。"},
    {104120, "パックファイル仕様が現在の仕様と一致しません。\n\n[%s]"},
    {104130, "パックファイルを同時に扱えるのは %d 個までです。"},
    {104140, "パックファイル内に含まれるファイルが、合計 %d 個を超えました。"},
    {104150, "パックファイル内のファイル\n[%s]が\n重複しています。"},
    {106010, "メモリ不足により\n[%s]ファイルを展開出来ませんでした。"},
    {900040, "[内部エラー]\n\nバッファ不足により\n[%s]ファイルを展開出来ませんでした。"},
    {901040, "[内部エラー]\n\nパックファイル[%s]が\nオープンできませんでした。"},
};

constexpr const char kInternalText[] =
    "[内部エラー]\n\nエラー文字列の指定ミスです。\nシステム開発者までお問い合わせください。";
constexpr const char kPlacePrefix[] = "[対象ファイル]\n%s\n\n[場所]\n%d 行目\n\n[内容]\n\n";

// The Shift-JIS forms, converted once on first use.
struct SjisTexts {
  std::string builtIn[kErrBuiltInCount];
  std::string internal, prefix;
};

const SjisTexts& Texts() {
  static std::once_flag once;
  static SjisTexts t;
  std::call_once(once, [] {
    for (int i = 0; i < kErrBuiltInCount; ++i) t.builtIn[i] = Text_Utf8ToSjis(kBuiltIns[i].utf8);
    t.internal = Text_Utf8ToSjis(kInternalText);
    t.prefix = Text_Utf8ToSjis(kPlacePrefix);
  });
  return t;
}

}  // namespace

const char* Err_BuiltInText(int32_t number) {
  for (int i = 0; i < kErrBuiltInCount; ++i)
    if (kBuiltIns[i].number == number) return Texts().builtIn[i].c_str();
  return nullptr;
}

const char* Err_InternalText() { return Texts().internal.c_str(); }
const char* Err_PlacePrefix() { return Texts().prefix.c_str(); }
