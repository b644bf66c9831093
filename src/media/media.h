// Media players (layer 8 of 10: above sound, below render and the shell):
// the host of the animated-character (E-mote) player library, the Flash host
// and movies. The public face of src/media/.
//
// Everything here runs on the thread that runs the frame. The renderer calls
// the E-mote host after making or resetting its device and while drawing;
// the shell calls the start-up and shut-down functions and installs the
// window hook that tells the players where window 0's picture is.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "media/emote_abi.h"
#include "platform/dynlib.h"

struct LayerImage;
struct PlatWindow;

// ---- Window 0 as the players see it (installed by the shell) -------------
struct MediaWindowInfo {
  int32_t logicalW = 0, logicalH = 0;  // the picture's logical size
  int32_t shownW = 0, shownH = 0;      // the size it is drawn at
  int32_t screenW = 0, screenH = 0;    // the area it is fitted into
  int32_t boxX = 0, boxY = 0;          // letter-box offsets
  int32_t fitMode = 1;                 // screen-mode fit: 2 keeps the aspect
  PlatWindow* handle = nullptr;
};
// Fills `out` with window 0's sizes; while null every size reads 0.
using MediaWindowFn = void (*)(MediaWindowInfo* out);
extern MediaWindowFn g_MediaWindowHook;
MediaWindowInfo Media_Window0();

// The size of window 0's rectangle (x, y, w, h) in logical units as shown:
// offset by the letter box, scaled by shown / logical (unchanged where the
// logical size is 0). Integer arithmetic.
void Media_ShownRect(const MediaWindowInfo& w, const int32_t logical[4], int32_t out[4]);
// Applies the given rectangle arguments (ids first .. first + 3: x, y,
// width, height) of the current command to the four fields, each with its
// argument's operator.
void Media_ApplyRectArgs(int first, int32_t* x, int32_t* y, int32_t* w, int32_t* h);
// A script's file name as the engine keeps it: lower-cased, every '/' that
// is not the second byte of a Shift-JIS character turned into '\'. Cut to
// `cap` bytes on a character boundary.
void Media_NormalizeName(const char* name, char* out, size_t cap);
// True when the engine-form name opens for reading on the host (loose
// files, mapped from Windows-style names).
bool Media_FileReadable(const char* engineName);

// ---- E-mote library (emote_lib.cpp) ----------------------------------------
// The library's module, its entries by number, the available flag and the
// driver object (null until the renderer made one).
struct EmoteEntryTable {
  DynLib module;
  void* entry[kEmoteEntryMaxOrdinal + 1] = {};
  uint8_t available = 0;
  void* driver = nullptr;
};
extern EmoteEntryTable g_EmoteEntry;

// Start-up: loads the player library from the executable's folder (or the
// system's library path) when the driver probe library loads, and resolves
// its entries. Without it the feature is off. Always 0.
int Emote_LoadDriver();
// The same from one folder (a host path; empty: the system's search path).
int Emote_LoadDriverFrom(const std::string& folder);
// Drops the library (shut-down, after every player went; tests).
void Emote_UnloadLibrary();
inline bool Emote_Available() { return g_EmoteEntry.available != 0; }
// Entry N of the library as its type, null without the library.
template <typename Fn>
inline Fn Emote_Fn(int ordinal) {
  return g_EmoteEntry.available ? reinterpret_cast<Fn>(g_EmoteEntry.entry[ordinal]) : nullptr;
}

// ---- E-mote host (emote_host.cpp, emote_motion.cpp, emote_reset.cpp) -------
constexpr int kEmoteObjectMax = 128;
constexpr size_t kEmoteStateBytes = 4096;   // state text and timelines buffer
constexpr size_t kEmoteNameBytes = 512;     // a stored motion name
// The layers that hold a player (null = free slot).
extern LayerImage* g_EmoteObjects[kEmoteObjectMax];
// The saturation handed to the pixel filter during a load (128 = unchanged).
extern int32_t g_EmoteSaturation;

// Once, when there is no driver: entry 2 with the device. 0 ok, 1 failure.
int Emote_InitDevice(void* device);
// The loader of ".psb" layers (installed as the image loader's hook while
// the library is available): 0, or -1 after its box.
int Emote_LoadPsb(LayerImage* rec, const uint8_t* data, size_t size, const char* name);
// 0 ok, 1 after one of its boxes (already loaded, load failed, table full).
int Emote_CreatePlayer(LayerImage* rec, const uint8_t* data, size_t size);
void Emote_ReleaseObject(LayerImage* rec);
// The player of `from` now lives in `to` (the layer effects that move a
// picture): its table slot and stored names and state follow it.
void Emote_MovePlayer(LayerImage* from, LayerImage* to);
// Releases the player and frees the stored names and state (layer release).
void Emote_DropLayer(LayerImage* rec);
// Every held player released, then the driver dropped (shut-down).
void Emote_ReleaseAll();
void Emote_SaturationFilter(uint8_t* pixels, uint32_t bytes);

void Emote_SetParamA(LayerImage* rec, float v);
void Emote_SetParamB(LayerImage* rec, float v);
void Emote_SetParamC(LayerImage* rec, float v);
void Emote_SetParamAll(int which, float v);  // which 0 A, 1 B, 2 C
void Emote_SetFlagAndCall(LayerImage* rec, uint8_t flag);
void Emote_ForObject(LayerImage* rec, uint8_t flag);
void Emote_SetFiveValues(LayerImage* rec, const float v[5]);
void Emote_FreePlayer(LayerImage* rec);
void Emote_Call253(LayerImage* rec);
void Emote_Call212(LayerImage* rec, int32_t on);
int Emote_Query244(LayerImage* rec, const char* name);
int Emote_Query252(LayerImage* rec);
int Emote_QueryHandle(LayerImage* rec);
void Emote_AdvanceTime(LayerImage* rec, uint32_t elapsedMs);
void Emote_DriverCall(uint32_t value);
void Emote_SetDrawParam220(LayerImage* rec, float v, int32_t n);
void Emote_SetDrawParam222(LayerImage* rec, float v);
void Emote_SetDrawParam224(LayerImage* rec, float v);
void Emote_SetColour226(LayerImage* rec, uint32_t colour);

void Emote_ApplyMotion(LayerImage* rec, const char* name);
void Emote_StopMotion(LayerImage* rec, const char* name);
void Emote_PlayMotionBlend(LayerImage* rec, const char* name, int64_t timeMs, float ratio);
void Emote_StopMotionTimed(LayerImage* rec, const char* name, int64_t timeMs);
int Emote_QueryMotion(LayerImage* rec, const char* name);
// Passes every "name￡value￡" pair (value in thousandths) to the player.
void Emote_ApplyVariables(LayerImage* rec, const char* stateText);
// The player's timelines as "name￡ms￡" pairs into `out` (`cap` bytes); a
// pair that does not fit is left out. Returns the length.
size_t Emote_ReadTimelines(LayerImage* rec, char* out, size_t cap);

// Around a device reset (the renderer): save, release every player and the
// driver; after the new driver and the reload, restore.
void Emote_SaveStates();
void Emote_ReleaseForReset();
void Emote_RestoreAll();

// Commands 12 and 13.
int32_t Cmd_Emote();
int32_t Cmd_EmoteValue();

// ---- Flash host (flash_host.cpp, flash_cmd.cpp) -----------------------------
// What hosts the movie: a child window over window 0 and the control in it.
// The product's back end has no control (no Flash player exists here); tests
// install a fake.
struct FlashBackend {
  // A child window of `parent` at the rectangle; null when it cannot be made.
  void* (*createWindow)(PlatWindow* parent, const int32_t rect[4]);
  void (*destroyWindow)(void* window);
  // Loads the hosting library once; false when it is missing.
  bool (*loadHost)();
  // The control in `window` playing the movie at the UTF-16 path; null on
  // failure. *frames gets its frame count.
  void* (*createControl)(void* window, const std::u16string& path, int32_t* frames);
  void (*releaseControl)(void* control);
  bool (*isPlaying)(void* control);
  int32_t (*currentFrame)(void* control);
  // The movie's root variable as text; false when the control has none.
  bool (*getVariable)(void* control, const std::u16string& name, std::u16string* value);
};
extern FlashBackend g_FlashBackend;
// The back end of this platform: windows exist, the control never does.
FlashBackend Flash_NullBackend();

extern uint8_t g_FlashOpen;
extern void* g_FlashWindow;
extern void* g_FlashControl;
extern int32_t g_FlashControlCount;
extern int32_t g_FlashTotalFrames;
extern int32_t g_FlashUserValue;
extern int32_t g_FlashX, g_FlashY, g_FlashWidth, g_FlashHeight;

int32_t Flash_CreateControl(void* window, const std::u16string& path);
void Flash_ReleaseControl();
int Flash_IsPlaying();
int32_t Flash_CurrentFrame();
// Closes the window and the control (command 24, shut-down).
void Flash_Close();
// Clears every Flash byte (tests).
void Flash_Reset();

int32_t Cmd_FlashOpen();
int32_t Cmd_FlashClose();
int32_t Cmd_FlashQuery();

// ---- Start-up and the command table -----------------------------------------
// Installs the image loader's and the layer release's hooks (tables set-up).
void Media_InstallHooks();
// Registers commands 12, 13 and 23-25 with the command schema.
void CmdSchema_RegisterMedia();
// Shut-down: players, the driver, the Flash control and window.
void Media_Shutdown();
