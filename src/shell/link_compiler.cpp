// Compiler_Run: the exchange with the external script compiler at start-up.
// The engine makes the 512-byte block, starts the compiler, waits for it to
// announce its files, makes the data area of the announced size, waits for
// the compiler to end and takes a checked copy of the area as the compiler
// store. Everything that comes from the other process (sizes, lengths, the
// path) is checked before it is used.
#include <cstring>

#include "base/base.h"
#include "files/files.h"
#include "platform/clock.h"
#include "platform/fs.h"
#include "platform/shm.h"
#include "platform/text.h"
#include "shell/link.h"
#include "shell/startup.h"

CompilerLinkSettings g_CompilerLink;

namespace {

void ShowCommFailure() {
  static const std::string kText = Text_Utf8ToSjis("TAVRENコンパイラとデータ通信が出来ませんでした。");
  Sys_MessageBoxF(nullptr, "%s", kText.c_str());
}

void ShowStartFailure() {
  static const std::string kText = Text_Utf8ToSjis("TAVRENコンパイラを起動できませんでした。");
  Sys_MessageBoxF(nullptr, "%s", kText.c_str());
}

uint32_t ReadU32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Waits, a poll every kLinkPollMs, until `done` says so or the compiler ends
// or the waiting time runs out. 1 done, 0 the compiler ended, -1 time-out
// (the compiler is then stopped).
template <typename Done>
int WaitFor(PlatChild& child, Done done) {
  uint32_t start = Clock_Ms32();
  for (;;) {
    if (done()) return 1;
    if (!child.Running()) return done() ? 1 : 0;
    if (Clock_Ms32() - start >= g_CompilerLink.waitMs) {
      child.Kill();
      Sys_Trace("compiler link: the compiler did not answer in %u ms", g_CompilerLink.waitMs);
      return -1;
    }
    Clock_SleepMs(kLinkPollMs);
  }
}

// The data folder handed back: the engine's folder when none is given.
// The copy is bounded by the field, whether or not it holds a terminator.
std::string TakeDataFolder(const uint8_t* block) {
  const char* p = reinterpret_cast<const char*>(block + kLinkPathAt);
  return std::string(p, strnlen(p, kLinkPathBytes));
}

}  // namespace

std::string Link_EngineFolder(const std::string& hostFolder) {
  std::string host = hostFolder;
  while (host.size() > 1 && host.back() == '/') host.pop_back();
  std::string s = Text_Utf8ToSjis(host);
  Str_ReplaceCharSjis(s.data(), '/', '\\');
  Str_ToLowerSjis(s.data());
  if (s != "\\") s += '\\';
  return s;
}

int Compiler_Run() {
  std::string program;
  std::vector<uint8_t> probe;
  if (!Fs_Resolve(kLinkCompilerPath, &program) || !Fs_ReadBytes(program, 0, 1, &probe)) {
    g_ErrCaption = "License Information";
    Err_Show(100000, 1);
    return 1;
  }
  // The engine's folder goes in as a host path, as the compiler opens files.
  std::string exeFolder = (g_ExeDirHost.empty() ? std::string(".") : g_ExeDirHost) + "/";
  PlatSharedMem block;
  if (exeFolder.size() >= kLinkPathBytes || !block.Create(g_CompilerLink.blockName, kLinkBlockSize)) {
    ShowCommFailure();
    return -1;
  }
  uint8_t* b = block.data();
  std::memset(b, 0, kLinkBlockSize);
  PlatShared_Store32(b + kLinkVersionAt, kLinkVersion);
  std::memcpy(b + kLinkPathAt, exeFolder.data(), exeFolder.size());

  PlatChild child;
  if (!child.Start({program, kLinkCompilerArg})) {
    block.Close();
    ShowStartFailure();
    return 1;
  }
  Clock_SleepMs(10);
  // The engine's tables are built while the compiler works. Tables that
  // cannot be made stop the start here: they reported 100010, and the
  // compiler is stopped as `child` goes.
  if (Sys_InitTables() != 0) return -1;

  int ready = WaitFor(child, [&] { return PlatShared_Load32(b + kLinkCompilerReady) == 1; });
  if (ready <= 0) {
    if (ready < 0) ShowCommFailure();
    return 1;
  }
  uint32_t count = ReadU32(b + kLinkFileCount);
  uint32_t size = ReadU32(b + kLinkDataSize);
  if (size == 0) size = kLinkEmptyDataSize;
  PlatSharedMem data;
  if (size > kLinkDataMax || !data.Create(g_CompilerLink.dataName, size)) {
    ShowCommFailure();
    return -1;
  }
  std::memset(data.data(), 0, size);
  PlatShared_Store32(b + kLinkEngineReady, 1);
  if (WaitFor(child, [] { return false; }) < 0) {
    ShowCommFailure();
    return 1;
  }

  // The area was cleared before the compiler wrote into it, so a record that
  // runs past what it wrote is found by the store's own checks.
  if (count >= 1 && size >= 1) {
    if (File_StoreSetArea(data.data(), size, count) != 0) return 1;
  } else {
    File_StoreClear();
  }
  int8_t result = int8_t(b[kLinkResult]);
  std::string folder = TakeDataFolder(b);
  data.Close();
  block.Close();
  if (result != 1) return 1;

  if (folder.empty()) {
    g_DataDir = g_ExeDir;
    return 0;
  }
  if (!Fs_SetCurrentDir(folder)) {
    Sys_Trace("compiler link: the data folder cannot be entered");
    return 1;
  }
  g_DataDir = Link_EngineFolder(folder);
  return 0;
}
