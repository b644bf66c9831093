#include "platform/text.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <mutex>

namespace {

constexpr std::array<bool, 256> MakeLeadTable() {
  std::array<bool, 256> t{};
  for (int c = 0x81; c <= 0x9F; ++c) t[c] = true;
  for (int c = 0xE0; c <= 0xFC; ++c) t[c] = true;
  return t;
}

// One iconv descriptor per direction, opened on first use and kept for the
// process. iconv descriptors are not thread-safe, so each is used under a lock.
struct Converter {
  Converter(const char* toCode, const char* fromCode) : to(toCode), from(fromCode) {}
  const char* to;
  const char* from;
  iconv_t cd = (iconv_t)-1;
  std::mutex lock;
};

Converter s_sjisToUtf8{"UTF-8", "CP932"};
Converter s_utf8ToSjis{"CP932", "UTF-8"};
Converter s_sjisToUtf16{"UTF-16LE", "CP932"};
Converter s_utf16ToSjis{"CP932", "UTF-16LE"};

// Converts `in` with `conv`. `unit` is the size of one input code unit, so an
// undecodable unit is skipped whole and replaced by `bad` in the output.
std::string Convert(Converter& conv, const char* in, size_t inLen, size_t unit,
                    std::string_view bad) {
  std::lock_guard<std::mutex> g(conv.lock);
  if (conv.cd == (iconv_t)-1) {
    conv.cd = iconv_open(conv.to, conv.from);
    if (conv.cd == (iconv_t)-1) return std::string();
  }
  iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.reserve(inLen * 2 + 8);
  char buf[1024];
  char* src = const_cast<char*>(in);
  size_t left = inLen;
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    size_t r = iconv(conv.cd, &src, &left, &dst, &room);
    out.append(buf, size_t(dst - buf));
    if (r == (size_t)-1) {
      if (errno == E2BIG) continue;
      // EILSEQ or EINVAL (a truncated character at the end): skip one unit.
      size_t skip = left < unit ? left : unit;
      src += skip;
      left -= skip;
      out.append(bad);
      iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace

const std::array<bool, 256> g_SjisLead = MakeLeadTable();

std::string Text_SjisToUtf8(std::string_view sjis) {
  return Convert(s_sjisToUtf8, sjis.data(), sjis.size(), 1, "?");
}

std::string Text_Utf8ToSjis(std::string_view utf8) {
  return Convert(s_utf8ToSjis, utf8.data(), utf8.size(), 1, "?");
}

std::u16string Text_SjisToUtf16(std::string_view sjis) {
  std::string bytes = Convert(s_sjisToUtf16, sjis.data(), sjis.size(), 1, std::string_view("?\0", 2));
  std::u16string out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = char16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8));
  return out;
}

std::string Text_Utf16ToSjis(std::u16string_view utf16) {
  std::string bytes(utf16.size() * 2, '\0');
  for (size_t i = 0; i < utf16.size(); ++i) {
    bytes[2 * i] = char(utf16[i] & 0xFF);
    bytes[2 * i + 1] = char(utf16[i] >> 8);
  }
  return Convert(s_utf16ToSjis, bytes.data(), bytes.size(), 2, "?");
}
