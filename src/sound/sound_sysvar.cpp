// The sound's system variables, served to the VM through its hook table:
// number 4 tells whether the game asks for sound output at all (the
// engine configuration's byte, whether or not a device opened).
#include "files/script_data.h"
#include "sound/sound.h"
#include "vm/sysvar_hooks.h"

namespace {

bool SoundSysVar(int32_t number, int64_t, int64_t* out) {
  if (number != 4) return false;
  *out = g_EngineConfig.soundMode > 0 ? 1 : 0;
  return true;
}

}  // namespace

void Snd_InstallSysVars() { g_SysVarHooks.sound = SoundSysVar; }
