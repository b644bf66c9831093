// The data block appended to the executable ("QVER" at the built size).
#include <cstring>

#include "files/files.h"
#include "platform/exe_image.h"
#include "platform/fs.h"
#include "shell/shell.h"


namespace {

uint32_t U32At(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
         uint32_t(b[at + 3]) << 24;
}

}  // namespace

// The linked image ends where the appended block begins: this host's
// counterpart of the built size that a resource of the program records.
uint32_t Boot_ReadBuiltSize() { return Exe_ElfImageEnd(g_ModulePathHost); }

AppendedHeader Boot_ReadAppendedHeader(const std::string& hostPath, uint32_t builtSize) {
  AppendedHeader h;
  int64_t size = Fs_FileSize(hostPath);
  if (size <= 0) return h;
  h.fileSize = uint64_t(size);
  std::vector<uint8_t> b;
  if (builtSize == 0 || !Fs_ReadBytes(hostPath, builtSize, kAppendedHeaderSize, &b)) return h;
  if (b.size() >= 4 && std::memcmp(b.data(), kAppendedMagic, 4) == 0) {
    h.magic = true;
    if (b.size() >= 12) {
      h.packOffset = U32At(b, 4);
      h.previewSize = U32At(b, 8);
    }
  }
  return h;
}

bool Boot_HasAppendedMagic(const std::string& hostPath, uint32_t builtSize) {
  if (int32_t(builtSize) <= 0) return false;
  std::vector<uint8_t> b;
  return Fs_ReadBytes(hostPath, builtSize, 4, &b) && b.size() == 4 &&
         std::memcmp(b.data(), kAppendedMagic, 4) == 0;
}

int Boot_JudgeAppendedHeader(uint32_t builtSize, const AppendedHeader& h) {
  const uint64_t b = builtSize, f = h.fileSize;
  if (b == 4 || f == 0 || f == b) return 0;
  if (!h.magic || f < b + kAppendedHeaderSize) return 0;
  // A pack or preview that would lie past the file's end is not trusted:
  // the block counts as absent rather than being read out of bounds.
  if (b + h.packOffset >= f) return 0;
  if (b + kAppendedHeaderSize + uint64_t(h.previewSize) > f) return 0;
  return 1;
}

int Boot_CheckAppendedData() {
  uint32_t built = Boot_ReadBuiltSize();
  g_BuiltSize = built;
  if (built == 0) {
    Sys_MessageBoxF(nullptr, "FS");
    return -1;
  }
  AppendedHeader h = Boot_ReadAppendedHeader(g_ModulePathHost, built);
  if (Boot_JudgeAppendedHeader(built, h) != 1) return 0;
  if (!Boot_HasAppendedMagic(g_ModulePathHost, built)) return 0;
  g_AppendedPackOffset = h.packOffset;  // upper half 0
  g_PreviewSize = h.previewSize;
  g_ScreenSaverMode = h.previewSize != 0;
  g_HasAppendedData = 1;
  g_DataPackaged = 1;
  g_FileAppended.present = 1;
  g_FileAppended.exePath = g_ModulePathHost;
  g_FileAppended.packStart = uint64_t(built) + h.packOffset;
  return 1;
}

bool Saver_ValidatePreview(const uint8_t* bmp, size_t size, int32_t* width, int32_t* height) {
  constexpr size_t kFileHeader = 14, kInfoHeader = 40, kPixels = kFileHeader + kInfoHeader;
  constexpr int32_t kMaxSide = 8192;
  if (!bmp || size < kPixels || bmp[0] != 'B' || bmp[1] != 'M') return false;
  auto u32 = [&](size_t at) {
    return uint32_t(bmp[at]) | uint32_t(bmp[at + 1]) << 8 | uint32_t(bmp[at + 2]) << 16 |
           uint32_t(bmp[at + 3]) << 24;
  };
  auto u16 = [&](size_t at) { return uint16_t(bmp[at] | bmp[at + 1] << 8); };
  int32_t w = int32_t(u32(18)), h = int32_t(u32(22));
  if (u32(14) < kInfoHeader || u16(26) != 1 || u16(28) != 24 || u32(30) != 0) return false;
  if (w <= 0 || w > kMaxSide || h == 0 || h < -kMaxSide || h > kMaxSide) return false;
  // The pixels are read from byte 54 with rows padded to four bytes.
  uint64_t stride = (uint64_t(w) * 3 + 3) & ~uint64_t(3);
  uint64_t rows = uint64_t(h < 0 ? -int64_t(h) : h);
  if (kPixels + stride * rows > size) return false;
  *width = w;
  *height = h;
  return true;
}

std::vector<uint8_t> Saver_LoadPreviewBitmap(uint32_t* size) {
  *size = 0;
  std::vector<uint8_t> head, bmp;
  if (int32_t(g_BuiltSize) <= 0 ||
      !Fs_ReadBytes(g_ModulePathHost, uint64_t(g_BuiltSize) + 8, 4, &head) || head.size() != 4)
    return {};
  uint32_t s = U32At(head, 0);
  int64_t fileSize = Fs_FileSize(g_ModulePathHost);
  if (fileSize < 0 || uint64_t(g_BuiltSize) + kAppendedHeaderSize + s > uint64_t(fileSize))
    return {};
  if (!Fs_ReadBytes(g_ModulePathHost, uint64_t(g_BuiltSize) + kAppendedHeaderSize, s, &bmp) ||
      bmp.size() != s)
    return {};
  int32_t w, h;
  if (!Saver_ValidatePreview(bmp.data(), bmp.size(), &w, &h)) return {};
  *size = s;
  return bmp;
}
