// Fixed limits of the resource files, checked where data enter (pack
// registration, directory parse, lookups) and reported with their numbers.
#pragma once
#include <cstddef>
#include <cstdint>

// Packs: at most 99 registered packs (the 100th is error 104130) and fewer
// than 100000 directory entries over all of them (error 104140).
constexpr uint32_t kPackMax = 99;
constexpr uint32_t kPackEntryLimit = 100000;  // the total must stay below this
// Folder walk of the pack search: at most 1000 folders listed (104110), depth
// below 32 (104111).
constexpr uint32_t kPackWalkFolderMax = 1000;
constexpr uint32_t kPackWalkDepthLimit = 32;
// Update packs "update1.qpf" .. "update9.qpf".
constexpr int kPackUpdateSlots = 9;

// Every name buffer of the lookup holds this many bytes with the NUL; a
// longer name is found nowhere.
constexpr size_t kFilePathMax = 260;
// File images are addressed by a u32 size: a file of 4 GiB or more is
// refused instead of being truncated.
constexpr uint64_t kFileSizeMax = 0xFFFFFFFFull;

// Preload memory cache: four groups of up to 512 slots in use.
constexpr int kMemCacheGroups = 4;
constexpr int kMemCacheSlots = 512;

// Compiled script data: the version the files carry and the longest title
// of the engine configuration.
constexpr uint32_t kDataVersion = 480;
constexpr int kTitleMaxBytes = 128;
