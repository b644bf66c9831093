// Command 14: the script ends the game, optionally asking for a restart of
// the executable once the shut-down is done.
#include <iterator>

#include "base/base.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

namespace {

constexpr int kCmdEnd = 14;
constexpr uint8_t kEndArgRestart = 0;

constexpr CmdArgSchema kEndArgs[] = {{kEndArgRestart, "restart", kArgInt, 0, 0}};
constexpr CmdSchemaEntry kShellCmds[] = {
    {kCmdEnd, "end", Cmd_End, 1, kEndArgs, uint8_t(std::size(kEndArgs))},
};

}  // namespace

int32_t Cmd_End() {
  if (Cmd_FetchArgs(kCmdEnd) != 0) return -1;
  if (g_ArgGiven[kEndArgRestart]) g_RestartRequested = uint8_t(Arg_Int(kEndArgRestart, 0));
  // The script's own end is an orderly quit: a later report with quit flag
  // 0 must not take it back.
  g_QuitRequested = 1;
  g_ShutdownRequested = 1;
  return 0;
}

void CmdSchema_RegisterShell() { CmdSchema_Add(kShellCmds, std::size(kShellCmds)); }
