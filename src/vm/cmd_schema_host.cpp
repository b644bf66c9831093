// Command schema entries of the host and engine commands.
#include <cstdio>
#include <iterator>

#include "vm/cmd_schema.h"
#include "vm/host.h"

namespace {

using namespace hostarg;

constexpr CmdArgSchema kClipArgs[] = {{kClipGo, "go", kArgInt, 0, 0}, {kClipText, "text", kArgText, 0, 0}};
constexpr CmdArgSchema kDlgArgs[] = {
    {kDlgCaption, "caption", kArgText, 0, 0}, {kDlgMessage, "message", kArgText, 0, 0},
    {kDlgInitial, "initial", kArgText, 0, 0}, {kDlgText, "text", kArgText, 0, 0},
    {kDlgAnswer, "answer", kArgInt, 0, 0},    {kDlgOkCancel, "okcancel", kArgInt, 0, 0},
    {kDlgYesNo, "yesno", kArgInt, 0, 0},      {kDlgYesNoCancel, "yesnocancel", kArgInt, 0, 0},
    {kDlgInput, "input", kArgInt, 0, 0},      {kDlgLimit, "limit", kArgInt, 0, 0},
    {kDlgDefault, "default", kArgInt, 0, 0},  {kDlgIcon, "icon", kArgInt, 0, 0},
    {kDlgNone, "none", kArgInt, 0, 0},
};
constexpr CmdArgSchema kFpsArgs[] = {{kFps, "fps", kArgInt, 0, 0}, {kSkip, "skip", kArgInt, 0, 0}};
constexpr CmdArgSchema kLabelArgs[] = {
    {kLabel, "label", kArgText, 0, 0}, {kLabelTarget, "target", kArgInt, 0, 0},
    {kLabelQuery, "query", kArgInt, 0, 0}};
constexpr CmdArgSchema kRegArgs[] = {
    {kRegKey, "key", kArgText, 0, 0}, {kRegName, "name", kArgText, 0, 0},
    {kRegTarget, "target", kArgInt, 0, 0}};
constexpr CmdArgSchema kSetArgs[] = {
    {kSetSaver, "blocksaver", kArgInt, 0, 0}, {kSetInactive, "runinactive", kArgInt, 0, 0},
    {kSetWidth, "width", kArgInt, 0, 0},      {kSetHeight, "height", kArgInt, 0, 0},
    {kSetTimer1, "timer1", kArgInt, 0, 0},    {kSetTimer1 + 1, "timer2", kArgInt, 0, 0},
    {kSetTimer1 + 2, "timer3", kArgInt, 0, 0}, {kSetTimer1 + 3, "timer4", kArgInt, 0, 0},
};
constexpr CmdArgSchema kSysArgs[] = {
    {kSysFn, "fn", kArgInt, 0, 0},    {kSysTarget, "target", kArgInt, 0, 0},
    {2, "ref2", kArgInt, 0, 0},       {3, "ref3", kArgInt, 0, 0},
    {4, "ref4", kArgInt, 0, 0},       {5, "ref5", kArgInt, 0, 0},
    {kSysInitial, "initial", kArgText, 0, 0},
};

// Command 15's ids 2..120, one per command number 1..119.
CmdArgSchema g_FlagArgs[kFlagsCount - kFlagsFirst];
char g_FlagNames[kFlagsCount - kFlagsFirst][8];

CmdSchemaEntry g_HostCmds[] = {
    {5, "clipset", Cmd_SetClipboardText, 2, kClipArgs, uint8_t(std::size(kClipArgs))},
    {6, "clipget", Cmd_GetClipboardText, 2, kClipArgs, uint8_t(std::size(kClipArgs))},
    {7, "nop7", Cmd_Nop7, 0, nullptr, 0},
    {10, "dialog", Cmd_InputDialog, kDlgCount, kDlgArgs, uint8_t(std::size(kDlgArgs))},
    {15, "cmdflags", Cmd_SetCommandFlags, kFlagsCount, nullptr, 0},
    {16, "nop16", Cmd_Nop16, 0, nullptr, 0},
    {29, "framerate", Cmd_FrameRate, 2, kFpsArgs, uint8_t(std::size(kFpsArgs))},
    {53, "labelexists", Cmd_LabelExists, 3, kLabelArgs, uint8_t(std::size(kLabelArgs))},
    {67, "nop67", Cmd_Nop67, 0, nullptr, 0},
    {68, "nop68", Cmd_Nop68, 0, nullptr, 0},
    {69, "nop69", Cmd_Nop69, 0, nullptr, 0},
    {74, "nop74", Cmd_Nop74, 0, nullptr, 0},
    {76, "regread", Cmd_RegRead, 3, kRegArgs, uint8_t(std::size(kRegArgs))},
    {86, "nop86", Cmd_Nop86, 0, nullptr, 0},
    {91, "settings", Cmd_Settings, 8, kSetArgs, uint8_t(std::size(kSetArgs))},
    {99, "nop99", Cmd_Nop99, 0, nullptr, 0},
    {114, "sysfunc", Cmd_SysFunc, kSysCount, kSysArgs, uint8_t(std::size(kSysArgs))},
};

}  // namespace

void CmdSchema_RegisterHost() {
  for (int i = 0; i < kFlagsCount - kFlagsFirst; ++i) {
    std::snprintf(g_FlagNames[i], sizeof g_FlagNames[i], "f%d", i + 1);
    g_FlagArgs[i] = {uint8_t(i + kFlagsFirst), g_FlagNames[i], kArgInt, 0, 0};
  }
  for (CmdSchemaEntry& e : g_HostCmds) {
    if (e.number == 15) {
      e.args = g_FlagArgs;
      e.nargs = uint8_t(std::size(g_FlagArgs));
    }
  }
  CmdSchema_Add(g_HostCmds, std::size(g_HostCmds));
}
