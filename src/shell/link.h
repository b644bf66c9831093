// The compiler link: during development the engine starts the external
// script compiler, which compiles the game's sources and hands the compiled
// files over through two named shared-memory areas; they become the
// compiler store of the file lookup.
#pragma once
#include <cstdint>
#include <string>

// ---- The exchange (a wire format, little-endian) --------------------------
// The 512-byte block: each side writes only its own fields, and each ready
// flag is written once, after the data it announces.
constexpr uint32_t kLinkBlockSize = 512;
constexpr uint32_t kLinkCompilerReady = 0;  // u32, compiler: count and size valid
constexpr uint32_t kLinkEngineReady = 4;    // u32, engine: data area mapped and cleared
constexpr uint32_t kLinkResult = 12;        // i8, compiler: 1 compilation succeeded
constexpr uint32_t kLinkFileCount = 16;     // u32, compiler
constexpr uint32_t kLinkDataSize = 20;      // u32, compiler; 0 stands for 16
constexpr uint32_t kLinkVersionAt = 128;    // u32, engine
constexpr uint32_t kLinkPathAt = 132;       // zero-terminated path, both ways
constexpr uint32_t kLinkPathBytes = 380;
constexpr uint32_t kLinkVersion = 480;
constexpr uint32_t kLinkEmptyDataSize = 16;
// A data area larger than this is refused as garbage.
constexpr uint32_t kLinkDataMax = 1u << 30;
constexpr uint32_t kLinkPollMs = 10;
// A compiler that neither announces its files nor ends within this time is
// stopped: the start must not hang on a compiler that hangs.
constexpr uint32_t kLinkWaitMs = 300000;

// The path in the block is a host path: UTF-8 as the file system names it,
// '/' separators and a trailing '/'. On the way in it is the engine's
// folder; on the way out the data folder (empty: the engine's folder).

// The compiler program, relative to the engine's folder (the current folder
// during start-up), and its argument.
constexpr char kLinkCompilerPath[] = "system\\DEVuv\\DEVuv";
constexpr char kLinkCompilerArg[] = "qv";

// Names of the two areas and the waiting time, fixed except for tests that
// run several links at once.
struct CompilerLinkSettings {
  std::string blockName = "TAVRENCompilerFileMapObject";
  std::string dataName = "TAVRENCompilerFileMapObject2";
  uint32_t waitMs = kLinkWaitMs;
};
extern CompilerLinkSettings g_CompilerLink;

// Runs the compiler and takes its files into the compiler store. 0 when it
// succeeded (the data folder is then the current folder and g_DataDir); 1
// when the compiler is missing, cannot be started, ends early, hangs,
// reports failure or hands over a malformed data area; -1 when the shared
// memory cannot be set up or the engine's tables cannot be made (100010).
int Compiler_Run();

// The engine form of a host folder: Shift-JIS, '\' separators, lower-cased,
// with a trailing '\' (the form of g_ExeDir).
std::string Link_EngineFolder(const std::string& hostFolder);
