// Fixture writer for save files: builds ".sd" bytes from a readable
// description of records and items, with knobs to corrupt each field.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SaveItemDesc {
  uint8_t kind = 0;            // 0 variable, 1 layer, 2 group
  int16_t varNo = 0;
  std::string payload;         // unpacked payload (kinds 0 and 1)
  std::vector<SaveItemDesc> subItems;  // kind 2
  int64_t storedOverride = -1;   // replaces the stored size field
  int64_t unpackedOverride = -1; // replaces the unpacked size field
  bool raw = false;            // payload is stored as given, not compressed
};

struct SaveRecordDesc {
  uint32_t dno = 1;
  std::vector<SaveItemDesc> items;
};

struct SaveFileDesc {
  std::string magic = "QVSD";
  uint32_t version = 480;
  int64_t countOverride = -1;  // else the number of records
  std::vector<SaveRecordDesc> records;
  // Table places to set after layout: {dno, offset}.
  std::vector<std::pair<uint32_t, uint32_t>> tableOverrides;
};

// The bytes of one item (header and data).
std::string SaveWriter_Item(const SaveItemDesc& item);
// The whole file.
std::string SaveWriter_File(const SaveFileDesc& desc);
// Variable payloads: a whole int64 variable of the given dimensions, and a
// whole string variable.
std::string SaveWriter_IntVar(const std::vector<uint32_t>& dims, const std::vector<int64_t>& v);
std::string SaveWriter_StrVar(const std::vector<uint32_t>& dims,
                              const std::vector<std::string>& v);
// A layer payload of width x height BGRA pixels.
std::string SaveWriter_Layer(uint32_t width, uint32_t height, const std::string& pixels);
