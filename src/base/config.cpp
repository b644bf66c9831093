// Configuration inputs: the command line, the user settings file and the
// save-folder file written by the settings program.
#include <cstring>
#include <vector>

#include "platform/fs.h"
#include "platform/text.h"
#include "base/base.h"

int g_ProcessArgc = 0;
char** g_ProcessArgv = nullptr;
ArgTable g_Args;

uint8_t g_MovieUseDirectShow = 0;
uint8_t g_UseSSE = 1;
uint8_t g_UseSSE2 = 1;
uint8_t g_MaxWorkers = kCfgWorkerMax;
uint8_t g_ResolutionChange = 1;
uint8_t g_FitMode = 1;
uint8_t g_TitleDoubleClickSwitch = 0;
uint8_t g_SysVarUserByte = 0;
uint8_t g_DisableDwm = 0;
uint8_t g_UserSettingsRead = 0;
RenderSettings g_RenderSettings;
std::string g_SavePath = "save\\";
uint8_t g_SavePlace = 0;

namespace {

constexpr char kUserSettingsFile[] = "\\qvcfg.dat";
constexpr char kSaveFolderFile[] = "\\qvsfs.dat";
constexpr char kSaveVendor[] = "KESTRAL";
constexpr char kSaveTitle[] = "pelnori";

// Reads a settings file of 32 little-endian u32 fields from the executable's
// folder; fields past a short file's end are 0. False when it is missing.
bool ReadFields(const char* name, uint32_t fields[kUserSettingsFields]) {
  std::memset(fields, 0, sizeof(uint32_t) * kUserSettingsFields);
  std::string path;
  if (!Fs_Resolve(g_ExeDir + name, &path) || Fs_FileSize(path) < 0) return false;
  std::vector<uint8_t> bytes;
  if (!Fs_ReadBytes(path, 0, kUserSettingsFields * 4, &bytes)) return false;
  for (size_t i = 0; i + 4 <= bytes.size(); i += 4)
    fields[i / 4] = uint32_t(bytes[i]) | uint32_t(bytes[i + 1]) << 8 |
                    uint32_t(bytes[i + 2]) << 16 | uint32_t(bytes[i + 3]) << 24;
  // A last partial field keeps its bytes, the missing ones read as zero.
  size_t tail = bytes.size() % 4, at = bytes.size() - tail;
  for (size_t k = 0; k < tail; ++k) fields[at / 4] |= uint32_t(bytes[at + k]) << (8 * k);
  return true;
}

// Sets `dst` to the field's value when it is 0 or 1; other values leave it.
void SetBool(uint8_t* dst, uint32_t v) {
  if (v <= 1) *dst = uint8_t(v);
}

}  // namespace

void Cfg_ReadCommandLine() {
  g_Args = ArgTable();
  int argc = g_ProcessArgv ? g_ProcessArgc : 0;
  g_Args.count = argc > 1 ? (argc - 1 > kArgsKept ? kArgsKept : argc - 1) : 0;
  if (argc > 0 && g_ProcessArgv[0]) g_Args.args[0] = Text_Utf8ToSjis(g_ProcessArgv[0]);
  for (int i = 1; i <= g_Args.count; ++i)
    if (g_ProcessArgv[i]) g_Args.args[i] = Text_Utf8ToSjis(g_ProcessArgv[i]);
}

void Cfg_ApplyDrawLevel(int level, bool layeredWindow) {
  if (level == 0 && layeredWindow) level = 1;
  RenderSettings& r = g_RenderSettings;
  switch (level) {
    case 0: r.presentMode = 3, r.cpuScaleChoice = 1, r.gpuScaling = 1; break;
    case 1: r.presentMode = 2, r.cpuScaleChoice = 1, r.gpuScaling = 1; break;
    case 2: r.presentMode = 1, r.cpuScaleChoice = 1, r.gpuScaling = 0, r.fullGpu = 0; break;
    case 3: r.presentMode = 0, r.cpuScaleChoice = 0, r.gpuScaling = 0, r.fullGpu = 0; break;
    default: return;
  }
  r.drawLevel = int8_t(level);
}

void Cfg_ReadUserSettings() {
  uint32_t f[kUserSettingsFields];
  if (!ReadFields(kUserSettingsFile, f)) return;  // every default stays
  g_UserSettingsRead = 1;
  SetBool(&g_MovieUseDirectShow, f[0]);
  SetBool(&g_UseSSE, f[2]);
  SetBool(&g_UseSSE2, f[3]);
  if (f[4] == 0) g_MaxWorkers = 1;
  if (f[6] <= 1) g_ResolutionChange = f[6] == 0 ? 1 : 0;
  static constexpr uint8_t kFitForField[4] = {1, 2, 3, 0};
  if (f[7] <= 3) g_FitMode = kFitForField[f[7]];
  // The layered-window option (level 0 counting as 1) comes with the engine
  // configuration, which is read later; here it is not known yet.
  Cfg_ApplyDrawLevel(int(f[8] <= 3 ? f[8] : 99), false);
  SetBool(&g_TitleDoubleClickSwitch, f[9]);
  SetBool(&g_SysVarUserByte, f[10]);
  RenderSettings& r = g_RenderSettings;
  SetBool(&r.rendererOption, f[12]);
  if (f[13] <= 1) {
    r.textures16Bit = uint8_t(f[13]);
    r.textureFormat = f[13] ? 26 : 21;
    r.textureBits = f[13] ? 16 : 32;
  }
  SetBool(&r.textureOption, f[14]);
  SetBool(&g_DisableDwm, f[22]);
  r.tileMaxWidth = 512;
  r.tileMaxHeight = 256;
  r.textureResetByte = 0;
  r.gpuDrawByteA = 1, r.gpuDrawByteB = 1, r.gpuDrawByteC = 0;
}

// Engine form of a host folder: CP932 with '\' separators, so the engine
// can append its own names and resolve the result.
static std::string EngineFolder(const std::string& host) {
  std::string s = Text_Utf8ToSjis(host);
  for (size_t i = 0; i < s.size(); ++i) {
    if (Sjis_IsLead(uint8_t(s[i])) && i + 1 < s.size()) {
      ++i;
      continue;
    }
    if (s[i] == '/') s[i] = '\\';
  }
  while (!s.empty() && s.back() == '\\') s.pop_back();
  return s;
}

std::string Cfg_SaveFolderFor(uint32_t place) {
  std::string sub = std::string("\\") + kSaveVendor + "_SaveData\\" + kSaveTitle + "\\save\\";
  switch (place) {
    case 1: return EngineFolder(Fs_XdgDataDir()) + sub;
    case 2: return EngineFolder(Fs_DocumentsDir()) + sub;
    case 3: return EngineFolder(Fs_DocumentsDir()) + "\\My Games" + sub;
    default: return "save\\";
  }
}

void Cfg_ChooseSaveFolder() {
  uint32_t f[kUserSettingsFields];
  uint32_t place = ReadFields(kSaveFolderFile, f) ? f[kSavePlaceField] : 0;
  g_SavePlace = place <= 3 ? uint8_t(place) : 0;
  g_SavePath = Cfg_SaveFolderFor(g_SavePlace);
}
