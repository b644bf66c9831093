// Commands 12 (drive an E-mote layer) and 13 (ask an E-mote layer).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/base.h"
#include "graphics/graphics.h"
#include "media/emote_internal.h"
#include "media/media.h"
#include "media/media_args.h"
#include "vm/vm.h"

using namespace emotearg;

namespace {

constexpr int kCmdEmote = 12, kCmdEmoteValue = 13;
constexpr int64_t kPairMax = 256;  // name and value pairs of one command 12

// The layer of ids 0 and 1: the path, "." and the number when one is given.
// 1 found (in *out, may still be null when no layer was named), 0 the named
// layer is missing, -1 after a path error.
int FindLayer(LayerImage** out) {
  *out = nullptr;
  if (!Arg_Given(kPath) && !Arg_Given(kNumber)) return 1;
  std::string path = Arg_Str(kPath) ? Arg_Str(kPath) : "";
  if (Arg_Given(kNumber)) path += "." + std::to_string(Arg_Int(kNumber, 0));
  char resolved[kObjPathMax];
  const ObjTreeRoot& tree = g_TreeRoots[kTreeLayer];
  if (Obj_ResolvePath(resolved, path.c_str(), tree.curPath, false) < 0) return -1;
  ObjNode* node = Obj_FindByPath(tree.root, resolved, kObjFindLeaf);
  *out = Layer_Record(node);
  return *out ? 1 : 0;
}

// Step 8: names from a text array, values from a number array, as many
// pairs as id 22 asks for and both arrays hold (at most 256).
void ApplyPairs(LayerImage* rec) {
  void* h = emote::Handle(rec);
  uint32_t names = 0, values = 0;
  int64_t unused = 0;
  if (!h || !Arg_Target(kVarNames, &names, &unused) || !Arg_Target(kVarValues, &values, &unused))
    return;
  if (names >= g_VarTable.count || values >= g_VarTable.count) return;
  int64_t count = Arg_Int(kVarCount, 0);
  count = std::min({count, g_VarTable.vars[names].count, g_VarTable.vars[values].count, kPairMax});
  float t = float(Arg_Int(kTime, 0)) * kEmoteTimeScale;
  for (int64_t i = 0; i < count; ++i) {
    const char* name = Var_GetStringElement(names, i);
    if (!name) break;  // not a text array
    float v = float(Var_ReadFloatElement(values, i));
    Emote_Fn<EmoteFn233>(233)(h, emote::Utf8(name).c_str(), v, t, 0);
  }
}

void ApplyMotions(LayerImage* rec) {
  const char* motion = Arg_Str(kMotion);
  if (!motion) return;
  int64_t apply = Arg_Int(kApply, 0), stop = Arg_Int(kStop, 0);
  if (apply == 1) Emote_ApplyMotion(rec, motion);
  else if (apply == 2)
    Emote_PlayMotionBlend(rec, motion, Arg_Int(kTime, 0), float(Arg_Int(kRatio, 100)) / 100.0f);
  if (stop == 1) Emote_StopMotion(rec, motion);
  else if (stop == 2) Emote_StopMotionTimed(rec, motion, Arg_Int(kTime, 0));
}

// Steps 4 and 6 reach this layer when a number was given, else every
// player.
bool ForThisLayerOnly() { return Arg_Given(kNumber); }

}  // namespace

int32_t Cmd_Emote() {
  if (Cmd_FetchArgs(kCmdEmote) != 0) return -1;
  LayerImage* rec = nullptr;
  int found = FindLayer(&rec);
  if (found <= 0) return found < 0 ? -1 : 0;
  // Every step below that needs a layer tests for one: without ids 0 and
  // 1 only the all-players steps act.
  ApplyMotions(rec);
  if (Arg_Int(kCall253, 0) == 1) Emote_Call253(rec);
  if (Arg_Given(kFlag)) {
    uint8_t flag = Arg_Int(kFlag, 0) != 0 ? 1 : 0;
    if (ForThisLayerOnly()) Emote_SetFlagAndCall(rec, flag);
    else
      for (LayerImage* r : g_EmoteObjects)
        if (r) Emote_SetFlagAndCall(r, flag);
  }
  if (Arg_Given(kCall212)) Emote_Call212(rec, Arg_Int(kCall212, 0) != 0);
  const int paramIds[3] = {kParamA, kParamB, kParamC};
  for (int k = 0; k < 3; ++k) {
    if (!Arg_Given(paramIds[k])) continue;
    float v = float(Arg_Int(paramIds[k], 0)) / 256.0f;
    if (!ForThisLayerOnly()) Emote_SetParamAll(k, v);
    else if (k == 0) Emote_SetParamA(rec, v);
    else if (k == 1) Emote_SetParamB(rec, v);
    else Emote_SetParamC(rec, v);
  }
  if (Arg_Given(kFive)) {
    if (Arg_Int(kFive, 0) != 0) {
      const float v[5] = {float(Arg_Int(kFive0, 0)), float(Arg_Int(kFive1, 1)),
                          float(Arg_Int(kFive2, 1)), float(Arg_Int(kFive3, 1)),
                          float(Arg_Int(kFive4, 1))};
      Emote_SetFiveValues(rec, v);
    } else {
      Emote_FreePlayer(rec);
    }
  }
  if (Arg_Given(kVarNames) && Arg_Given(kVarValues)) ApplyPairs(rec);
  if (const char* state = Arg_Str(kState)) Emote_ApplyVariables(rec, state);
  return 0;
}

int32_t Cmd_EmoteValue() {
  if (Cmd_FetchArgs(kCmdEmoteValue) != 0) return -1;
  LayerImage* rec = nullptr;
  if (FindLayer(&rec) < 0) return -1;
  if (!rec) return 0;
  uint32_t var = 0;
  int64_t index = 0;
  if (!Arg_Target(kTarget, &var, &index)) return 0;
  const char* name = Arg_Str(kQueryName);
  if (Arg_Given(kQueryPlaying)) {
    Var_SetIntElement(var, index, Emote_Query252(rec));
  } else if (Arg_Given(kQueryMotion)) {
    Var_SetIntElement(var, index, Emote_QueryMotion(rec, name ? name : ""));
  } else if (Arg_Given(kQuery244)) {
    Var_SetIntElement(var, index, name ? Emote_Query244(rec, name) : 0);
  } else if (Arg_Given(kQueryTimelines)) {
    char* buf = static_cast<char*>(std::calloc(1, kEmoteStateBytes));
    if (!buf) {
      Err_Script(100010, 1);
      return -1;
    }
    Emote_ReadTimelines(rec, buf, kEmoteStateBytes);
    Var_SetStringElement(var, index, buf);
    std::free(buf);
  }
  return 0;
}
