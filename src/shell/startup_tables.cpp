// The engine tables built once at start-up, the command registrations, and
// the small start-up probes (temporary file, embedded data block, local time,
// timer period, pixel workers).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "graphics/cg_op.h"
#include "graphics/cg_setup.h"
#include "graphics/graphics.h"
#include "media/media.h"
#include "platform/clock.h"
#include "render/render.h"
#include "shell/shell.h"
#include "shell/frame.h"
#include "shell/menu.h"
#include "shell/startup.h"
#include "shell/sysinfo.h"
#include "shell/wincmd.h"
#include "sound/sound.h"
#include "text/text.h"
#include "vm/cmd_schema.h"
#include "vm/host.h"
#include "vm/math.h"
#include "vm/vm.h"

// The command flags are the dispatcher's; until it defines them this weak
// definition keeps them (a strong one elsewhere takes its place). All 1 from
// the start, as the table set-up leaves them.
__attribute__((weak)) uint8_t g_CmdFlags[128] = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
};


namespace {

bool g_TablesBuilt = false;

// Embedded data block 148: four bytes whose presence the start-up checks.
constexpr uint8_t kBinResource148[4] = {0, 0, 0, 0};

}  // namespace

// The schema's own set-up registers every area's commands once.
void Sys_RegisterCommands() {
  static bool s_done = false;
  CmdSchema_Init();
  if (s_done) return;
  s_done = true;
  CmdSchema_RegisterGraphics();
  CmdSchema_RegisterText();
  CmdSchema_RegisterCgOps();
  CmdSchema_RegisterSound();
  CmdSchema_RegisterWindows();
  CmdSchema_RegisterMedia();
  CmdSchema_RegisterQueryObject();
  CmdSchema_RegisterMenus();
}

void Sys_ForgetTables() { g_TablesBuilt = false; }

int Sys_InitTables() {
  if (g_TablesBuilt) return 0;
  g_TablesBuilt = true;
  std::srand(unsigned(std::time(nullptr)));
  Rand_Seed(Clock_Ms32());
  Blend_BuildProductTable();
  Blend_InitTables();
  Win_InitHandlerTables();
  VarOp_InitTable();
  Expr_InitOpTable(1);
  std::memset(g_CmdFlags, 1, sizeof g_CmdFlags);
  Sys_RegisterCommands();
  Vm_InstallErrPlace();
  g_VmPauseWaitHook = App_WaitInactivePause;
  g_VmAskYesNoHook = Win_AskYesNoMain;
  Shell_InstallVmHooks();
  Gfx_InstallSaveHooks();
  Msg_InstallSysVars();
  Snd_InstallSysVars();
  g_MediaWindowHook = Media_FillWindow0;
  Media_InstallHooks();
  g_ErrDialogOpenHook = Cursor_ShowForDialog;
  // Every message command works on the current message record: without it
  // the engine cannot run a script.
  if (Msg_CreateRecord() != 0 || Font_EnumFaces() != 0) {
    g_TablesBuilt = false;
    Err_Show(100010, 1);
    return -1;
  }
  Font_InstallCgHooks();
  Cg_SetFrameScalers(Present_ScaleThreaded, Present_ScaleFiltered, Present_ScaleThreaded2);
  Sys_KeepDirectXVersion();
  return 0;
}

// A file is created and removed again in the data folder; a folder that
// refuses it is remembered, never a reason to stop.
void Sys_ProbeTempFile() {
  static unsigned s_serial = 0;
  std::string dir = g_ExeDirHost.empty() ? std::string(".") : g_ExeDirHost;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "/ini%08x%04x.tmp", unsigned(Clock_Ms32()), ++s_serial);
    std::string path = dir + name;
    std::FILE* f = std::fopen(path.c_str(), "wbx");
    if (!f) continue;
    std::fclose(f);
    g_DataDirNotWritable = std::remove(path.c_str()) == 0 ? 0 : 1;
    return;
  }
  g_DataDirNotWritable = 1;
}

int32_t Res_GetBinSize() { return int32_t(sizeof kBinResource148); }

// The platform's sleeps are already as fine as a millisecond.
void Timer_BeginPeriod() {}
void Timer_EndPeriod() {}

int Thread_StartWorkers() {
  if (Gfx_StartWorkers(g_WorkerCount) == 0) return 0;
  Err_Show(100010, 1);
  return -1;
}

