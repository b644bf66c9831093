// File versions and the graphics-library probe: the release is the last row
// of the table whose library is at least the row's version, and any
// readable "d3d9.dll" means release 9.
#include <iterator>

#include "shell/sysinfo.h"

uint8_t g_DirectXVersion = 0;

namespace {

struct DxRow {
  uint8_t group;        // rows of one group share one file and one read
  const char* file;
  uint64_t v4, v5;      // v5 0: one version for every file; else by first field
  uint8_t major, minor;
  char letter;
};

constexpr uint64_t V(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
  return uint64_t(a) << 48 | uint64_t(b) << 32 | uint64_t(c) << 16 | d;
}

constexpr DxRow kDxRows[] = {
    {1, "\\ddraw.dll", V(4, 2, 0, 95), 0, 1, 0, ' '},
    {1, "\\ddraw.dll", V(4, 3, 0, 1096), 0, 2, 0, ' '},
    {1, "\\ddraw.dll", V(4, 4, 0, 68), 0, 3, 0, ' '},
    {2, "\\d3drg8x.dll", V(4, 4, 0, 70), 0, 3, 0, 'a'},
    {3, "\\ddraw.dll", V(4, 5, 0, 155), 0, 5, 0, ' '},
    {3, "\\ddraw.dll", V(4, 6, 0, 318), 0, 6, 0, ' '},
    {3, "\\ddraw.dll", V(4, 6, 0, 436), 0, 6, 1, ' '},
    {4, "\\dplayx.dll", V(4, 6, 3, 518), 0, 6, 1, 'a'},
    {5, "\\ddraw.dll", V(4, 7, 0, 700), 0, 7, 0, ' '},
    {6, "\\dinput.dll", V(4, 7, 0, 716), 0, 7, 0, 'a'},
    {7, "\\ddraw.dll", V(4, 8, 0, 400), V(5, 1, 2258, 400), 8, 0, ' '},
    {8, "\\d3d8.dll", V(4, 8, 1, 881), V(5, 1, 2600, 881), 8, 1, ' '},
    {8, "\\d3d8.dll", V(4, 8, 1, 901), V(5, 1, 2600, 901), 8, 1, 'a'},
    {9, "\\mpg2splt.ax", V(6, 3, 1, 885), 0, 8, 1, 'b'},
    {10, "\\dpnet.dll", V(4, 9, 0, 134), V(5, 2, 3677, 134), 8, 2, ' '},
};

}  // namespace

uint64_t Ver_Make(uint16_t a, uint16_t b, uint16_t c, uint16_t d) { return V(a, b, c, d); }

int32_t Ver_Compare(uint64_t x, uint64_t y) { return x > y ? 1 : x == y ? 0 : -1; }

int32_t Ver_GetFileVersion(const char* path, uint64_t* version) {
  if (!path || !version) return kVerInvalidArg;
  return kVerFail;
}

int32_t Sys_GetDirectXVersionFrom(const std::string& systemDir, VerReaderFn reader,
                                  uint32_t* major, uint32_t* minor, char* letter) {
  uint32_t ma = 0, mi = 0;
  char le = ' ';
  if (!systemDir.empty() && reader) {
    for (size_t i = 0; i < std::size(kDxRows);) {
      const uint8_t group = kDxRows[i].group;
      uint64_t have = 0;
      bool readable = reader((systemDir + kDxRows[i].file).c_str(), &have) == kVerOk;
      for (; i < std::size(kDxRows) && kDxRows[i].group == group; ++i) {
        const DxRow& r = kDxRows[i];
        if (!readable) continue;
        uint64_t want = r.v4;
        if (r.v5) {
          uint16_t first = uint16_t(have >> 48);
          if (first != 4 && first != 5) continue;
          want = first == 4 ? r.v4 : r.v5;
        }
        if (Ver_Compare(have, want) < 0) continue;
        ma = r.major;
        mi = r.minor;
        le = r.letter;
      }
    }
    uint64_t any = 0;
    if (reader((systemDir + "\\d3d9.dll").c_str(), &any) == kVerOk) {
      ma = 9;
      mi = 0;
      le = ' ';
    }
  }
  if (major) *major = ma;
  if (minor) *minor = mi;
  if (letter) *letter = le;
  return 0;
}

// There is no system folder of the other platform's libraries here.
int32_t Sys_GetDirectXVersion(uint32_t* major, uint32_t* minor, char* letter) {
  return Sys_GetDirectXVersionFrom(std::string(), Ver_GetFileVersion, major, minor, letter);
}

void Sys_KeepDirectXVersion() {
  uint32_t major = 0, minor = 0;
  char letter = ' ';
  Sys_GetDirectXVersion(&major, &minor, &letter);
  g_DirectXVersion = uint8_t(major <= 9 ? major : 0);
}
