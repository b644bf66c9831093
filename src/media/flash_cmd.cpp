// Commands 23 (open a Flash movie), 24 (close it) and 25 (ask about it).
#include <cstdlib>
#include <string>

#include "base/base.h"
#include "files/files_limits.h"
#include "media/media.h"
#include "media/media_args.h"
#include "platform/text.h"
#include "vm/vm.h"

using namespace flasharg;

namespace {

constexpr int kCmdFlashOpen = 23, kCmdFlashQuery = 25;
constexpr size_t kFlashWidePathMax = 261;  // UTF-16 units of the full path

char s_FlashFile[kFilePathMax] = {};

void ApplyRect() { Media_ApplyRectArgs(kX, &g_FlashX, &g_FlashY, &g_FlashWidth, &g_FlashHeight); }

// A new file: stored in the engine's form once it opens; the rectangle's
// values not given in this call go back to 0, 0 and the logical size.
int SetFile(const char* name) {
  char normal[kFilePathMax];
  Media_NormalizeName(name, normal, sizeof normal);
  if (!Media_FileReadable(normal)) {
    Err_ScriptF(104060, 1, normal);
    return -1;
  }
  const MediaWindowInfo w = Media_Window0();
  if (!Arg_Given(kX)) g_FlashX = 0;
  if (!Arg_Given(kY)) g_FlashY = 0;
  if (!Arg_Given(kWidth)) g_FlashWidth = w.logicalW;
  if (!Arg_Given(kHeight)) g_FlashHeight = w.logicalH;
  Str_CopySjis(s_FlashFile, sizeof s_FlashFile, normal);
  g_FlashOpen = 0;
  return 0;
}

void Open() {
  // A second open replaces the first movie: its window and control go
  // first, so that nothing is left behind and the count stays right.
  if (g_FlashOpen || g_FlashWindow) Flash_Close();
  const MediaWindowInfo w = Media_Window0();
  const int32_t logical[4] = {g_FlashX, g_FlashY, g_FlashWidth, g_FlashHeight};
  int32_t rect[4];
  Media_ShownRect(w, logical, rect);
  g_FlashWindow = g_FlashBackend.createWindow(w.handle, rect);
  if (!g_FlashWindow) {
    static const std::string text = Text_Utf8ToSjis("ウィンドウを生成できませんでした。");
    Sys_MessageBoxF("", "%s", text.c_str());
    return;
  }
  std::u16string path = Text_SjisToUtf16(g_ExeDir + s_FlashFile);
  if (path.size() > kFlashWidePathMax - 1) path.resize(kFlashWidePathMax - 1);
  g_FlashTotalFrames = Flash_CreateControl(g_FlashWindow, path);
  if (!g_FlashControl) {
    // No control: an empty window would only cover the picture, and a
    // script asking whether the movie is open must hear no.
    Flash_Close();
    return;
  }
  g_FlashUserValue = int32_t(Arg_Int(kUser, 0));
  g_FlashOpen = 1;
}

// Slot 1: the movie's root variable "tavrex" as an integer. A control that
// has it with an integer value answers; otherwise the box says what the
// script must check and 0 is stored.
int64_t ReadTavrex() {
  std::u16string value;
  if (g_FlashControl && g_FlashBackend.getVariable(g_FlashControl, u"tavrex", &value)) {
    const std::string text = Text_Utf16ToSjis(value);
    char* end = nullptr;
    long long v = std::strtoll(text.c_str(), &end, 10);
    if (!text.empty() && end && *end == 0) return v;
  }
  static const std::string box = Text_Utf8ToSjis(
      "変数 %s が見つかりませんでした。\r\nルートの変数になっているか、また整数が格納されているか、\r\n確認してください。");
  Sys_MessageBoxF("", box.c_str(), "tavrex");
  return 0;
}

// Slots 6-8 while closed: 0 straight into the element, by its type.
int32_t StoreClosedZero(uint32_t var, int64_t index) {
  if (var >= g_VarTable.count) return 0;
  const Variable& v = g_VarTable.vars[var];
  if (v.type != 1 && v.type != 2) {
    Err_Script(101140, 1);
    return -1;
  }
  if (index < 0 || index >= v.count) return 0;
  if (v.type == 1) v.ints[index] = 0;
  else v.dbls[index] = 0.0;
  return 0;
}

}  // namespace

int32_t Cmd_FlashOpen() {
  if (Cmd_FetchArgs(kCmdFlashOpen) != 0) return -1;
  ApplyRect();
  if (const char* name = Arg_Str(kFile)) {
    if (SetFile(name) != 0) return -1;
  }
  if (Arg_Int(kOpen, 0) != 1) return 0;  // only the value 1 opens
  Open();
  return 0;
}

int32_t Cmd_FlashClose() {
  if (Cmd_FetchArgs(24) != 0) return -1;
  Flash_Close();
  s_FlashFile[0] = 0;
  return 0;
}

int32_t Cmd_FlashQuery() {
  if (Cmd_FetchArgs(kCmdFlashQuery) != 0) return -1;
  uint32_t var = 0;
  int64_t index = 0;
  if (!Arg_Target(kQTarget, &var, &index)) return 0;
  int64_t answer = 0;
  if (Arg_Given(kQPlaying)) answer = Flash_IsPlaying();
  else if (Arg_Given(kQVariable)) answer = ReadTavrex();
  else if (Arg_Given(kQX)) answer = g_FlashX;
  else if (Arg_Given(kQY)) answer = g_FlashY;
  else if (Arg_Given(kQWidth)) answer = g_FlashWidth;
  else if (Arg_Given(kQHeight)) answer = g_FlashHeight;
  else if (Arg_Given(kQFrame) || Arg_Given(kQUser) || Arg_Given(kQFrames)) {
    if (!g_FlashOpen) return StoreClosedZero(var, index);
    answer = Arg_Given(kQFrame) ? Flash_CurrentFrame() : Arg_Given(kQUser) ? g_FlashUserValue : g_FlashTotalFrames;
  } else {
    return 0;
  }
  Var_SetIntElement(var, index, answer);
  return 0;
}
