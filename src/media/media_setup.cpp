// The media players' place in the engine: their commands in the command
// schema, the hooks they install in the layers below, and their shut-down.
#include <iterator>

#include "graphics/cg_op.h"
#include "graphics/graphics.h"
#include "graphics/image_codec.h"
#include "media/media.h"
#include "media/media_args.h"
#include "media/movie_player.h"
#include "vm/cmd_schema.h"

namespace {

constexpr CmdArgSchema kEmoteArgs[] = {
    {emotearg::kPath, "path", kArgText, 0, 0},       {emotearg::kNumber, "num", kArgInt, 0, 0},
    {emotearg::kFlag, "flag", kArgInt, 0, 0},        {emotearg::kCall212, "call212", kArgInt, 0, 0},
    {emotearg::kParamA, "a", kArgInt, 0, 0},         {emotearg::kParamB, "b", kArgInt, 0, 0},
    {emotearg::kParamC, "c", kArgInt, 0, 0},         {emotearg::kFive, "five", kArgInt, 0, 0},
    {emotearg::kFive0, "five0", kArgInt, 0, 0},      {emotearg::kFive1, "five1", kArgInt, 0, 0},
    {emotearg::kFive2, "five2", kArgInt, 0, 0},      {emotearg::kFive3, "five3", kArgInt, 0, 0},
    {emotearg::kFive4, "five4", kArgInt, 0, 0},      {emotearg::kCall253, "call253", kArgInt, 0, 0},
    {emotearg::kMotion, "motion", kArgText, 0, 0},   {emotearg::kApply, "apply", kArgInt, 0, 0},
    {emotearg::kStop, "stop", kArgInt, 0, 0},        {emotearg::kTime, "time", kArgInt, 0, 0},
    {emotearg::kRatio, "ratio", kArgInt, 0, 0},      {emotearg::kVarNames, "names", kArgInt, 0, 0},
    {emotearg::kVarValues, "values", kArgInt, 0, 0}, {emotearg::kVarCount, "count", kArgInt, 0, 0},
    {emotearg::kState, "state", kArgText, 0, 0},
};
constexpr CmdArgSchema kEmoteValueArgs[] = {
    {emotearg::kPath, "path", kArgText, 0, 0},
    {emotearg::kNumber, "num", kArgInt, 0, 0},
    {emotearg::kQueryName, "name", kArgText, 0, 0},
    {emotearg::kTarget, "target", kArgInt, 0, 0},
    {emotearg::kQueryPlaying, "playing", kArgInt, 0, 0},
    {emotearg::kQueryMotion, "motion", kArgInt, 0, 0},
    {emotearg::kQuery244, "query", kArgInt, 0, 0},
    {emotearg::kQueryTimelines, "timelines", kArgInt, 0, 0},
};
constexpr CmdArgSchema kFlashOpenArgs[] = {
    {flasharg::kFile, "file", kArgText, 0, 0}, {flasharg::kOpen, "open", kArgInt, 0, 0},
    {flasharg::kX, "x", kArgInt, 0, 0},        {flasharg::kY, "y", kArgInt, 0, 0},
    {flasharg::kWidth, "w", kArgInt, 0, 0},    {flasharg::kHeight, "h", kArgInt, 0, 0},
    {flasharg::kUser, "user", kArgInt, 0, 0},
};
constexpr CmdArgSchema kFlashQueryArgs[] = {
    {flasharg::kQPlaying, "playing", kArgInt, 0, 0}, {flasharg::kQVariable, "tavrex", kArgInt, 0, 0},
    {flasharg::kQX, "x", kArgInt, 0, 0},             {flasharg::kQY, "y", kArgInt, 0, 0},
    {flasharg::kQWidth, "w", kArgInt, 0, 0},         {flasharg::kQHeight, "h", kArgInt, 0, 0},
    {flasharg::kQFrame, "frame", kArgInt, 0, 0},     {flasharg::kQUser, "user", kArgInt, 0, 0},
    {flasharg::kQFrames, "frames", kArgInt, 0, 0},   {flasharg::kQTarget, "target", kArgInt, 0, 0},
};

constexpr CmdArgSchema kMoviePlayArgs[] = {
    {moviearg::kFile, "file", kArgText, 0, 0}, {moviearg::kPlay, "play", kArgInt, 0, 0},
    {moviearg::kX, "x", kArgInt, 0, 0},        {moviearg::kY, "y", kArgInt, 0, 0},
    {moviearg::kWidth, "w", kArgInt, 0, 0},    {moviearg::kHeight, "h", kArgInt, 0, 0},
    {moviearg::kVolume, "volume", kArgInt, 0, 0},
};
constexpr CmdArgSchema kMovieQueryArgs[] = {
    {moviearg::kQPlaying, "playing", kArgInt, 0, 0}, {moviearg::kQX, "x", kArgInt, 0, 0},
    {moviearg::kQY, "y", kArgInt, 0, 0},             {moviearg::kQWidth, "w", kArgInt, 0, 0},
    {moviearg::kQHeight, "h", kArgInt, 0, 0},        {moviearg::kQVolume, "volume", kArgInt, 0, 0},
    {moviearg::kQFile, "file", kArgText, 0, 0},      {moviearg::kQTarget, "target", kArgInt, 0, 0},
};

constexpr CmdSchemaEntry kMediaCmds[] = {
    {12, "emote", Cmd_Emote, emotearg::kCount, kEmoteArgs, uint8_t(std::size(kEmoteArgs))},
    {13, "emotevalue", Cmd_EmoteValue, emotearg::kQueryCount, kEmoteValueArgs,
     uint8_t(std::size(kEmoteValueArgs))},
    {23, "flash", Cmd_FlashOpen, flasharg::kCount, kFlashOpenArgs, uint8_t(std::size(kFlashOpenArgs))},
    {24, "flashclose", Cmd_FlashClose, 0, nullptr, 0},
    {25, "flashvalue", Cmd_FlashQuery, flasharg::kQCount, kFlashQueryArgs,
     uint8_t(std::size(kFlashQueryArgs))},
    {71, "movie", Cmd_MoviePlay, moviearg::kCount, kMoviePlayArgs, uint8_t(std::size(kMoviePlayArgs))},
    {72, "movieclose", Cmd_MovieStop, 0, nullptr, 0},
    {73, "movievalue", Cmd_MovieQuery, moviearg::kQCount, kMovieQueryArgs,
     uint8_t(std::size(kMovieQueryArgs))},
};

}  // namespace

void CmdSchema_RegisterMedia() { CmdSchema_Add(kMediaCmds, std::size(kMediaCmds)); }

void Media_InstallHooks() {
  g_LayerHooks.releasePlayer = Emote_DropLayer;
  g_CgOpHooks.moveEmote = Emote_MovePlayer;
  // ".psb" layers become players only while the library is there; without
  // it they stay 2 x 2 images.
  g_PsbLoader = Emote_Available() ? Emote_LoadPsb : nullptr;
}

void Media_Shutdown() {
  Movie_Reset();
  Emote_ReleaseAll();
  Flash_Close();
}
