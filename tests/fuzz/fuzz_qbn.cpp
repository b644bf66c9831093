// Fuzz target for every compiled-data reader. The first byte picks the
// reader (error texts, command table, variable counts, scene list, variable
// definitions, labels, configuration, scene file); the rest is the file.
// The scene reader runs the whole scene load: header, sections, descriptor
// walk, pcs of the block commands, constant label resolution.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/files.h"
#include "files/script_data.h"
#include "shell/shell.h"
#include "support/script_writer.h"
#include "shell/startup.h"
#include "vm/cmd_schema.h"
#include "vm/vm.h"

namespace {
uint8_t* Copy(const uint8_t* data, size_t size) {
  auto* p = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (size) std::memcpy(p, data, size);
  return p;
}

// A scene list and labels for the scene reader to resolve against.
void PrepareScene() {
  std::string list = fx::SceneListFile({{0, "main.txt"}});
  Script_ParseSceneList(reinterpret_cast<const uint8_t*>(list.data()), list.size(), "l");
  std::string labels = fx::LabelFile({{"SYSTEM_START", 0, 0}, {"a", 1, 0}});
  Script_ParseLabels(reinterpret_cast<const uint8_t*>(labels.data()), labels.size(), "b");
  Var_AllocTable(1100);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = [] {
    Pack_InitNameTable();
    Sys_RegisterCommands();
    CmdSchema_FillHandlers(g_CmdHandlers);
    g_ConfigDesktopW = 1024;
    g_ConfigDesktopH = 768;
    return true;
  }();
  (void)ready;
  if (size < 1) return 0;
  const uint8_t* p = data + 1;
  size_t n = size - 1;
  switch (data[0] % 8) {
    case 0: Script_ParseErrorTexts(Copy(p, n), n, "qve"); break;
    case 1: Script_ParseCommandTable(Copy(p, n), n, "qvc"); break;
    case 2: Script_ParseVarCounts(p, n, "qvt"); break;
    case 3: Script_ParseSceneList(p, n, "qvt_list"); break;
    case 4:
      if (Var_AllocTable(1100) == 0 && Script_ParseVarFile(Copy(p, n), n, "qvv") == 0) Var_InitScope(-1);
      break;
    case 5:
      Script_ParseSceneList(p, 0, "l");
      Script_ParseLabels(p, n, "qvl");
      break;
    case 6: Script_ParseConfig(p, n, "qvcfg"); break;
    default: {
      PrepareScene();
      fx::Files files = {{"qvbin\\qvt00000.qbn", std::string(reinterpret_cast<const char*>(p), n)}};
      if (fx::UseStore(files)) Scene_Load(0);
      File_StoreClear();
      break;
    }
  }
  Script_FreeAll();
  g_QuitRequested = 0;
  return 0;
}
