// Image decoders (BMP, PNG, JPEG, GIF, the engine's QCG, E-mote PSB) and
// writers (JPEG, PNG, BMP) between files and layer records.
#pragma once
#include <cstddef>
#include <cstdint>

struct LayerImage;
struct FileRef;

// Loads a resource image into the record: 0, or -1 after the failure was
// reported. A name found nowhere gives a 1x1 transparent image, no error.
int Img_LoadFile(LayerImage* rec, const char* name);
// Decodes a whole file of type `type` (file type codes of files.h) from
// memory, as Img_LoadFile does after the lookup: alpha mode reset, decode,
// transparent key, load time. 0, or -1 after reporting.
int Img_DecodeMemory(LayerImage* rec, int type, const uint8_t* data, size_t size, const char* name);
// Loads the data of a resolved reference (the caller frees ref.data). 0, or
// -1 after the loader reported; with `report`, a name found nowhere is
// 104060 and a failed pack 104010.
int Img_FindAndLoad(FileRef& ref, const char* name, bool report);

// The decoders: 0, or nonzero after reporting (the front end adds 100210
// for JPEG and 100215 for GIF).
int Img_DecodeBmp(LayerImage* rec, const uint8_t* data, size_t size, const char* name);
int Img_DecodePng(LayerImage* rec, const uint8_t* data, size_t size, const char* name);
int Img_DecodeJpeg(LayerImage* rec, const uint8_t* data, size_t size, const char* name);
int Img_DecodeGif(LayerImage* rec, const uint8_t* data, size_t size, const char* name);
int Img_DecodeQcg(LayerImage* rec, const uint8_t* data, size_t size, const char* name);
int Img_RejectPsd(LayerImage* rec, const uint8_t* data, size_t size, const char* name);
int Load_PSB(LayerImage* rec, const uint8_t* data, size_t size, const char* name);

// E-mote player creation for PSB layers; null while the E-mote host is not
// available (the layer then stays a 2x2 image). Set by the media subsystem.
using PsbLoaderFn = int (*)(LayerImage* rec, const uint8_t* data, size_t size, const char* name);
extern PsbLoaderFn g_PsbLoader;

// Writers to a host path. 0 written; -1 the file could not be created ("File
// Create Error." shown); -2 the library or a write failed. Each writes a
// temporary file beside the target and renames it, so a failure never
// leaves a partial file under the target name.
int Img_SaveJpeg(const LayerImage* rec, const char* path, int quality);
// At alpha mode 0 the layer's alpha bytes are first set to 255.
int Img_SavePng(LayerImage* rec, const char* path, int level);
int Img_SaveBmp(const LayerImage* rec, const char* path);

// QCG header layout (little-endian u32 fields).
namespace qcg {
constexpr uint32_t kMagic = 0x00474351;  // "QCG\0"
constexpr size_t kOffWidth = 4, kOffHeight = 8, kOffCompression = 16;
constexpr size_t kOffUnpacked1 = 32, kOffPacked1 = 36, kOffUnpacked2 = 48, kOffPacked2 = 52;
constexpr uint32_t kRaw = 0, kZlib = 1;
}  // namespace qcg
