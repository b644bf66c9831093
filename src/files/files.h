// Resource files (layer 3 of 10: above platform and base, below everything
// else): lookup over the four sources, packs and their extraction, the
// compiled-data formats and the engine configuration reader, save data. The
// public face of src/files/.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/helpers.h"
#include "files/files_limits.h"

// ---- File references ---------------------------------------------------
// Source kinds of a FileRef, also the hit results of File_Lookup.
constexpr uint8_t kFileSrcNone = 0;
constexpr uint8_t kFileSrcLoose = 1;
constexpr uint8_t kFileSrcPack = 2;
constexpr uint8_t kFileSrcStore = 3;     // files handed over by the compiler
constexpr uint8_t kFileSrcMemCache = 4;  // preload memory cache

// File type codes, from the name's ending or from the pack directory.
constexpr uint8_t kFileTypeUnknown = 0;
constexpr uint8_t kFileTypeBmp = 1;
constexpr uint8_t kFileTypePng = 2;
constexpr uint8_t kFileTypeJpg = 3;
constexpr uint8_t kFileTypeGif = 4;
constexpr uint8_t kFileTypeWav = 5;
constexpr uint8_t kFileTypeOgg = 6;
constexpr uint8_t kFileTypePsd = 7;
constexpr uint8_t kFileTypeQcg = 8;
constexpr uint8_t kFileTypePsb = 9;

// Kinds of File_Resolve.
constexpr int kResolveImage = 0;
constexpr int kResolveSound = 1;
constexpr int kResolveExact = 9;

// One lookup and its load. The finders fill the place; a loader fills size
// and data (a std::malloc block that the caller frees with std::free).
struct FileRef {
  uint32_t size = 0;
  uint8_t* data = nullptr;
  uint8_t source = kFileSrcNone;
  uint8_t type = kFileTypeUnknown;
  uint32_t indexRow = 0;    // pack index row (pack)
  uint32_t packNo = 0;      // place in the pack list (pack)
  uint64_t entryPos = 0;    // byte after the entry's type byte, pack-relative
  uint32_t storeIndex = 0;  // entry of g_CompiledFiles (store)
  uint32_t cacheGroup = 0;  // memory cache group and slot (cache)
  uint32_t cacheSlot = 0;
};

// A whole file in memory: the first two fields of a FileRef.
struct FileImage {
  uint32_t size = 0;
  uint8_t* data = nullptr;
};
// Hands the loaded data of `ref` over to a FileImage and clears them in ref.
inline FileImage File_TakeImage(FileRef& ref) {
  FileImage img{ref.size, ref.data};
  ref.size = 0;
  ref.data = nullptr;
  return img;
}

// ---- Lookup (file_lookup.cpp) ------------------------------------------
// Extension codes tried by File_Resolve for a name without one, in order;
// set from the engine configuration file. Image: 1 ".png", 2 ".bmp",
// 3 ".jpg", 4 ".gif", 5 ".psb"; sound: 1 ".ogg", 2 ".wav"; other values try
// nothing at that place. Frame thread; written once at start-up.
extern uint8_t g_ImageExtOrder[5];
extern uint8_t g_SoundExtOrder[2];

// Type code of a name by its ending (.bmp 1, .png 2, .jpg 3, .gif 4, .psd 7,
// .qcg 8, .psb 9, .wav 5, .ogg 6, else 0), without regard to case.
uint8_t File_TypeFromExt(const char* name);

// A script's resource name to a FileRef: '\' and '/' unified, "." and ".."
// collapsed, lower-cased, then tried as it is (when it carries an extension
// of its kind) or with each extension of the kind's order. `out` (at least
// kFilePathMax bytes) receives the name that was tried last. Kind 0 image,
// 1 sound, 9 exact name. 0 found, 1 found nowhere (also for a name too long
// for the buffers), -1 when a pack failed or the kind is unknown; nothing is
// reported.
int File_Resolve(FileRef& ref, char* out, const char* name, int kind);
// One exact, lower-cased name over the four sources in their order. 0 not
// found, else the source kind; negative when the pack source failed. With
// setType a loose file's type comes from its name.
int File_Lookup(FileRef& ref, const char* name, bool setType);
// The single finders; each gives its source kind on a hit (and records the
// place), else 0. File_FindInIndex gives -2 when a pack could not be opened.
int File_FindInMemCache(FileRef& ref, const char* name);
int File_FindInStore(FileRef& ref, const char* name);
int File_FindInIndex(FileRef& ref, const char* name);
// Whether a loose file (not a folder) of that Windows-style name exists.
bool File_Exists(const char* name);

// Loaders: 0 with size and data set, else -3 or -2 after the failure was
// reported (104010, 104030, and the pack loader's own numbers). `name`
// serves in messages.
int File_LoadFromMemCache(FileRef& ref, const char* name);
int File_LoadFromStore(FileRef& ref, const char* name);
int File_LoadPackEntry(FileRef& ref, const char* name);
int File_LoadLooseFile(FileRef& ref, const char* name);
// The loader of ref.source; an unknown source counts as -2.
int File_Load(FileRef& ref, const char* name);
// Finds and loads a file that the caller needs, reporting a miss as 104060,
// a failed pack as 104010 (and the loaders' own failures): 0 or negative.
int File_LoadNeeded(FileRef& ref, const char* name);

// ---- Where the files are (file_host.cpp) -------------------------------
// Data appended to the executable. Filled by the start-up from the
// executable's appended block before the pack index is built; while
// `present` is set the appended pack comes before loose files and is the
// only pack.
struct FileAppended {
  uint8_t present = 0;    // g_HasAppendedData
  std::string exePath;    // host path of the executable
  uint64_t packStart = 0; // built size + the block's pack offset
};
extern FileAppended g_FileAppended;

// Set when data are appended to the executable or a pack holds
// "qvbin\qvcfg.qbn": the start-up then skips the compiler link. Written by
// the start-up and the pack index build, read everywhere after.
extern uint8_t g_DataPackaged;

// ---- Compiler store (file_store.cpp) -----------------------------------
// Files handed over by the external compiler, or by a test or tool that
// gives the engine a game without the disk. Names are kept lower-cased.
struct CompiledFile {
  std::string name;
  uint32_t size = 0;
  const uint8_t* data = nullptr;  // into the store's area
};
struct CompiledFiles {
  std::vector<uint8_t> area;  // one copy of the handed-over data area
  std::vector<CompiledFile> entries;
};
// Written once at start-up (compiler link, or a test); read by the lookup.
extern CompiledFiles g_CompiledFiles;

// Takes a copy of a data area in the compiler's layout: `count` records of
// {u32 name length, name, u32 data length, data}. 0, or -1 after 104010 when
// a record runs past the area (the store is then left empty).
int File_StoreSetArea(const uint8_t* area, size_t size, uint32_t count);
void File_StoreClear();

// ---- Preload memory cache (data; filled by the preload command) --------
struct MemCacheSlot {
  char* name = nullptr;  // resolved lower-case name with its extension
  uint32_t size = 0;
  uint8_t type = 0;
  uint8_t* data = nullptr;
};
struct MemCacheGroup {
  int32_t count = 0;
  uint64_t total = 0;
  MemCacheSlot slots[kMemCacheSlots + 1];
};
// Frame thread only.
extern MemCacheGroup g_MemCache[kMemCacheGroups];

// Resolves `name` (kind 0 image, 1 sound) and keeps the file in group 0..3:
// a file already in that group becomes its newest; a full group drops its
// oldest. 0 done or found nowhere, -1 after a reported failure (mem_cache.cpp).
int File_PreloadToMemCache(int group, const char* name, int kind);
// Frees a slot and moves the later ones down (the count is the caller's).
void File_FreeMemCacheSlot(int group, int slot);
// Empties every group (tests, shut-down).
void File_ClearMemCache();

// ---- Text tables (text_table.cpp) ----------------------------------------
// The elements of a comma-separated text: one per field, fields split at
// commas outside double or single quotes (the quotes stay in the text),
// blanks and tabs before a field skipped; every non-empty line gives all its
// fields, its last one included, and an empty line one empty element. A
// line end is CR LF, CR or LF, and the end of the data ends the last line.
std::vector<std::string> File_SplitTextTable(const uint8_t* data, size_t len);

// ---- Pack archives (pack_index.cpp, pack_file.cpp, pack_extract.cpp) ---
// Name-length decoding table and the scene key, built by Pack_InitNameTable.
extern uint8_t g_PackLenTable[256];
extern uint8_t g_SceneKey[4];

// The registered packs. `names` are the registered names (lower-cased,
// '\'-separated, as found by the folder walk: ".\pac\data.qpf"), used in
// messages and for the update-pack test; `hostPaths` are where they are
// opened. Written by Pack_BuildIndex at start-up only.
struct PackList {
  uint32_t count = 0;
  std::vector<std::string> names;
  std::vector<std::string> hostPaths;
};
extern PackList g_PackList;

// One row per directory entry of every registered pack, sorted by hash.
struct PackIndex {
  uint32_t count = 0;
  std::vector<uint32_t> hash;
  std::vector<uint32_t> pack;
  std::vector<uint32_t> pos;  // the entry's coded length byte, pack-relative
};
extern PackIndex g_PackIndex;

// Fills g_PackLenTable and g_SceneKey; 0.
int Pack_InitNameTable();
// Finds and registers the packs (the executable's folder, its sub-folder
// "pac", update1..9.qpf last) and builds g_PackIndex. 0, or -1 after a
// reported failure; the start-up then stops. The walk starts at the current
// directory.
int Pack_BuildIndex();
// The folder walk from `start` (host path); 0 or -1 after a report.
int Pack_FindArchives(uint32_t maxDepth, const char* start);
// Registers one pack by its registered name and host path: 0 registered or
// not a pack, -1 or -2 after a reported failure.
int Pack_Register(const char* name, const char* hostPath);
void Pack_SortIndex(int64_t first, int64_t last);
void Pack_SwapRows(uint32_t a, uint32_t b);
// Releases the pack list and the index (tests, shut-down).
void Pack_Reset();

// An open pack. The base is where the pack starts inside the host file (0,
// or the appended pack's start inside the executable); positions are
// relative to it. Closes itself.
struct PackFile {
  std::FILE* fp = nullptr;
  uint8_t open = 0;
  uint64_t base = 0;
  uint64_t size = 0;  // bytes from the base to the end of the file
  PackFile() = default;
  PackFile(const PackFile&) = delete;
  PackFile& operator=(const PackFile&) = delete;
  ~PackFile();
};
// Opens pack number `packNo` of g_PackList read-only: 0, or -1 with the
// flag clear.
int Pack_Open(PackFile& pf, uint32_t packNo);
// Opens a host file as a pack starting at `base`.
int Pack_OpenPath(PackFile& pf, const char* hostPath, uint64_t base);
// Reads exactly n bytes at the current position; false on a short read.
bool Pack_Read(PackFile& pf, void* buf, size_t n);
bool Pack_ReadU32(PackFile& pf, uint32_t* v);
bool File_ReadByte(PackFile& pf, uint8_t* v);
bool File_ReadU64(PackFile& pf, uint64_t* v);
bool File_SeekInSource(PackFile& pf, uint64_t pos);
uint64_t File_TellInSource(PackFile& pf);
void Pack_Close(PackFile& pf);

// Checks `data` against the stored hash and, if it fails, rebuilds one
// damaged block from the repair record at the pack's current position.
// 0 matched, 1 repaired, -1 no usable record or still damaged.
int File_VerifyAndRepair(PackFile& pf, uint8_t* data, uint32_t len, uint32_t hash);

// Compiled script data files of qvbin.
#include "files/script_data.h"
