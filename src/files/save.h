// Save data: the 1024 numbered in-memory DNO buffers that scripts fill with
// items, and the ".sd" files they are written into and read back from.
//
// File layout (little-endian): "QVSD", u32 version, u32 record count,
// u32 table size (1024), 1024 u32 record offsets (DNO n at 12 + 4 n; 0 = no
// record), records from byte 4112. A record is the u32 DNO number followed by
// the bytes of that buffer: items of a 12-byte header (kind, 1, i16 variable
// number, u32 stored size, u32 unpacked size) and their data. Variable
// numbers are kept as u16, as the variable definitions hold them.
//
// Everything read from a file is untrusted: offsets, sizes and counts are
// checked against the file size before they are used, and no allocation is
// sized by a file field that the file itself cannot back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr uint32_t kSaveVersion = 480;
constexpr int kSaveBufferCount = 1024;         // DNO 1..1024
constexpr uint32_t kSaveHeaderBytes = 16;      // magic, version, count, 1024
constexpr uint32_t kSaveRecordsStart = 4112;   // 16 + 1024 * 4
constexpr uint32_t kSaveItemHeaderBytes = 12;
constexpr size_t kSaveNameMax = 32;            // characters of a file name
constexpr uint32_t kSaveMaxVarPayload = 40000000;
constexpr uint32_t kSaveLayerBlockBytes = 1600;
constexpr uint32_t kSaveLayerWidthAt = 120, kSaveLayerHeightAt = 124;
// zlib cannot expand data by more than about 1032:1; an unpacked size above
// this bound for its stored size is a corrupt header, refused before any
// allocation is made for it.
constexpr uint32_t kSaveMaxInflateRatio = 1032;

// Item kinds.
constexpr uint8_t kSaveItemVar = 0, kSaveItemLayer = 1, kSaveItemGroup = 2;

// One DNO buffer: heap block, bytes used (0 = empty) and capacity.
struct SaveBuffer {
  uint8_t* data = nullptr;
  uint32_t size = 0;
  uint32_t cap = 0;
};
extern SaveBuffer g_SaveBuffers[kSaveBufferCount];

// Results of the file functions: 0 or the error number of the cause; the
// command that called them reports it with its own arguments.
constexpr int kSaveErrNoRecord = 102110;
constexpr int kSaveErrOpenRead = 102100;
constexpr int kSaveErrCreate = 102140;
constexpr int kSaveErrBackslash = 102150;
constexpr int kSaveErrNameLong = 102160;
constexpr int kSaveErrBusy = 102170;
constexpr int kSaveErrMagic = 108030;
constexpr int kSaveErrVersion = 108040;
constexpr int kSaveErrNoMemory = 100010;
// A record or table entry that the file cannot back (offset outside the
// file, records overlapping, a record's DNO number not its table place's,
// sizes past the end): the file is corrupt and is left untouched.
constexpr int kSaveErrCorrupt = 900000;

// Frees buffer `index` (0..1023) or, with -1, all of them.
void Save_FreeBuffers(int index);
// n * 15 / 10 in 64 bits, clamped to the u32 range.
uint32_t Save_GrowSize(uint64_t n);
// Makes room for `extra` more bytes in buffer `index`; false without memory.
bool Save_Reserve(int index, uint64_t extra);
void Save_AppendU8(int index, uint8_t v);
void Save_AppendU16(int index, uint16_t v);
void Save_AppendU32(int index, uint32_t v);
void Save_PutU32At(int index, uint32_t offset, uint32_t v);

// Appends one compressed item (kind 0 or 1) of `payload` to buffer `index`.
// 0, or kSaveErrNoMemory.
int Save_AppendItem(int index, uint8_t kind, uint16_t varNo, const uint8_t* payload,
                    uint32_t len);
// Group items: Save_BeginGroup appends the group header and returns its
// offset; sub-items follow through Save_AppendItem; Save_EndGroup patches
// the sizes.
uint32_t Save_BeginGroup(int index);
void Save_EndGroup(int index, uint32_t headerAt);

// The save file name of a script: lower-cased, '/' to '\', at most 32
// characters and no '\', ".sd" appended when missing. 0 or an error number.
int Save_BuildName(std::string_view name, std::string* fileName);

// Writes every filled buffer into the file at `hostPath`: a new file, an
// append, or a rewrite when a filled buffer already has a record (checked
// whole before anything is changed; written beside and then moved over the
// old file). Frees every buffer on success. A kSaveErrCreate failure gives
// the system's errno in *sysErr.
int Save_WriteFile(const std::string& hostPath, int* sysErr = nullptr);

// The item of DNO `dno` in the file at `hostPath`: header and stored bytes.
struct SaveItem {
  uint8_t kind = 0;
  uint16_t varNo = 0;
  uint32_t unpacked = 0;
  std::vector<uint8_t> stored;
};
int Save_ReadItem(const std::string& hostPath, int dno, SaveItem* item);
// Parses an item out of `bytes` (for the sub-items of a group): 0 and the
// bytes consumed in `*used`, or kSaveErrCorrupt.
int Save_ParseItem(const uint8_t* bytes, size_t len, SaveItem* item, size_t* used);
// Inflates stored data into exactly `unpacked` bytes; the box
// "Uncompress Error." and nonzero on any failure (a
// stream that inflates short or long included).
int Save_Uncompress(const uint8_t* src, uint32_t srcLen, uint32_t unpacked,
                    std::vector<uint8_t>* out);
