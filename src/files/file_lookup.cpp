// Name to FileRef over the four sources (memory cache, compiler store, loose
// files, packs), and the loaders of the sources other than packs.
#include <cstdlib>
#include <cstring>
#include <string>

#include "files/file_host.h"
#include "files/files.h"
#include "base/base.h"

uint8_t g_ImageExtOrder[5] = {1, 2, 3, 4, 5};
uint8_t g_SoundExtOrder[2] = {1, 2};
uint8_t g_DataPackaged = 0;
FileAppended g_FileAppended;
MemCacheGroup g_MemCache[kMemCacheGroups];

namespace {
const char* const kImageExts[6] = {nullptr, ".png", ".bmp", ".jpg", ".gif", ".psb"};
const char* const kSoundExts[3] = {nullptr, ".ogg", ".wav"};

bool HasKindExtension(const char* name, int kind) {
  if (kind == kResolveExact) return true;
  if (kind == kResolveImage) {
    return Str_EndsWith(name, ".bmp") || Str_EndsWith(name, ".png") ||
           Str_EndsWith(name, ".jpg") || Str_EndsWith(name, ".gif") ||
           Str_EndsWith(name, ".psb");
  }
  return Str_EndsWith(name, ".wav") || Str_EndsWith(name, ".ogg");
}

// The lookup form of a script's name: separators unified, "." and ".."
// collapsed, lower-cased, '\' separators. False when it does not fit.
bool NormalizeName(const char* name, char* out) {
  if (std::strlen(name) >= kObjPathMax) return false;
  char work[kObjPathMax];
  std::strcpy(work, name);
  Str_ReplaceCharSjis(work, '\\', '/');
  if (Obj_ResolvePath(out, work, "", true) < 0) return false;
  Str_ToLowerSjis(out);
  Str_ReplaceCharSjis(out, '/', '\\');
  return true;
}

// Copies `name` into `out` (kFilePathMax bytes) as it is: the output of a
// failed resolve still names what was asked for.
void CopyBounded(char* out, const char* name) {
  std::strncpy(out, name, kFilePathMax - 1);
  out[kFilePathMax - 1] = 0;
}
}  // namespace

uint8_t File_TypeFromExt(const char* name) {
  static const struct {
    const char* ext;
    uint8_t type;
  } kTypes[] = {{".bmp", kFileTypeBmp}, {".png", kFileTypePng}, {".jpg", kFileTypeJpg},
                {".gif", kFileTypeGif}, {".psd", kFileTypePsd}, {".qcg", kFileTypeQcg},
                {".psb", kFileTypePsb}, {".wav", kFileTypeWav}, {".ogg", kFileTypeOgg}};
  for (const auto& t : kTypes) {
    if (Str_EndsWith(name, t.ext)) return t.type;
  }
  return kFileTypeUnknown;
}

int File_FindInMemCache(FileRef& ref, const char* name) {
  for (uint32_t g = 0; g < uint32_t(kMemCacheGroups); ++g) {
    const MemCacheGroup& grp = g_MemCache[g];
    int32_t n = grp.count < 0 ? 0 : (grp.count > kMemCacheSlots ? kMemCacheSlots : grp.count);
    for (int32_t s = 0; s < n; ++s) {
      // Both names are lower-cased already: an exact comparison keeps
      // distinct Japanese names apart.
      if (grp.slots[s].name && std::strcmp(grp.slots[s].name, name) == 0) {
        ref.cacheGroup = g;
        ref.cacheSlot = uint32_t(s);
        ref.type = grp.slots[s].type;
        ref.source = kFileSrcMemCache;
        return kFileSrcMemCache;
      }
    }
  }
  return 0;
}

int File_FindInStore(FileRef& ref, const char* name) {
  const auto& entries = g_CompiledFiles.entries;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].name == name) {
      ref.storeIndex = uint32_t(i);
      ref.type = kFileTypeUnknown;
      ref.source = kFileSrcStore;
      return kFileSrcStore;
    }
  }
  return 0;
}

bool File_Exists(const char* name) {
  std::string host;
  uint64_t size = 0;
  return Host_MapName(name, &host) && Host_RegularFileSize(host, &size);
}

int File_Lookup(FileRef& ref, const char* name, bool setType) {
  ref.source = kFileSrcNone;
  ref.type = kFileTypeUnknown;
  if (File_FindInMemCache(ref, name)) return kFileSrcMemCache;
  if (File_FindInStore(ref, name)) return kFileSrcStore;
  auto loose = [&]() {
    if (!File_Exists(name)) return 0;
    ref.source = kFileSrcLoose;
    if (setType) ref.type = File_TypeFromExt(name);
    return int(kFileSrcLoose);
  };
  if (g_FileAppended.present) {
    int r = File_FindInIndex(ref, name);
    if (r != 0) return r;
    return loose();
  }
  if (int r = loose()) return r;
  return File_FindInIndex(ref, name);
}

int File_Resolve(FileRef& ref, char* out, const char* name, int kind) {
  if (kind != kResolveImage && kind != kResolveSound && kind != kResolveExact) return -1;
  ref.source = kFileSrcNone;
  ref.type = kFileTypeUnknown;
  char norm[kObjPathMax];
  if (!name || !NormalizeName(name, norm)) {
    CopyBounded(out, name ? name : "");
    return 1;
  }
  if (HasKindExtension(norm, kind)) {
    CopyBounded(out, norm);
    int r = File_Lookup(ref, norm, true);
    if (r < 0) return -1;
    return ref.source >= kFileSrcLoose ? 0 : 1;
  }
  const uint8_t* order = kind == kResolveImage ? g_ImageExtOrder : g_SoundExtOrder;
  int places = kind == kResolveImage ? 5 : 2;
  size_t len = std::strlen(norm);
  CopyBounded(out, norm);
  for (int i = 0; i < places; ++i) {
    uint8_t code = order[i];
    const char* ext = kind == kResolveImage ? (code >= 1 && code <= 5 ? kImageExts[code] : nullptr)
                                            : (code >= 1 && code <= 2 ? kSoundExts[code] : nullptr);
    if (!ext || len + std::strlen(ext) >= kFilePathMax) continue;
    std::memcpy(out, norm, len);
    std::strcpy(out + len, ext);
    int r = File_Lookup(ref, out, true);
    if (r < 0) return -1;
    if (r > 0) return 0;
  }
  return 1;
}

// ---- Loaders -------------------------------------------------------------

namespace {
// A copy of `size` bytes into a new block (one byte at least, so that an
// empty file still has data); 0, or -3 after 104030.
int CopyInto(FileRef& ref, const uint8_t* src, uint32_t size, const char* name) {
  auto* p = static_cast<uint8_t*>(std::malloc(size ? size : 1));
  if (!p) {
    Err_ShowF(104030, 1, name);
    return -3;
  }
  if (size) std::memcpy(p, src, size);
  ref.data = p;
  ref.size = size;
  return 0;
}
}  // namespace

int File_LoadFromMemCache(FileRef& ref, const char* name) {
  if (ref.cacheGroup >= uint32_t(kMemCacheGroups) || ref.cacheSlot >= uint32_t(kMemCacheSlots)) {
    Err_ShowF(104010, 1, name);
    return -2;
  }
  const MemCacheSlot& s = g_MemCache[ref.cacheGroup].slots[ref.cacheSlot];
  return CopyInto(ref, s.data, s.data ? s.size : 0, name);
}

int File_LoadFromStore(FileRef& ref, const char* name) {
  if (ref.storeIndex >= g_CompiledFiles.entries.size()) {
    Err_ShowF(104010, 1, name);
    return -2;
  }
  const CompiledFile& f = g_CompiledFiles.entries[ref.storeIndex];
  return CopyInto(ref, f.data, f.size, name);
}

int File_LoadLooseFile(FileRef& ref, const char* name) {
  std::string host;
  uint64_t size = 0;
  std::FILE* fp = nullptr;
  if (Host_MapName(name, &host) && Host_RegularFileSize(host, &size)) fp = std::fopen(host.c_str(), "rb");
  // A file of 4 GiB or more does not fit a FileImage: refused, not cut.
  if (!fp || size > kFileSizeMax) {
    if (fp) std::fclose(fp);
    Err_ShowF(104010, 1, name);
    return -3;
  }
  std::setvbuf(fp, nullptr, _IONBF, 0);
  auto* p = static_cast<uint8_t*>(std::malloc(size ? size_t(size) : 1));
  if (!p) {
    std::fclose(fp);
    Err_ShowF(104030, 1, name);
    return -3;
  }
  size_t got = size ? std::fread(p, 1, size_t(size), fp) : 0;
  std::fclose(fp);
  if (got != size) {  // the file shrank or could not be read
    std::free(p);
    Err_ShowF(104010, 1, name);
    return -3;
  }
  ref.data = p;
  ref.size = uint32_t(size);
  return 0;
}

int File_Load(FileRef& ref, const char* name) {
  switch (ref.source) {
    case kFileSrcLoose: return File_LoadLooseFile(ref, name);
    case kFileSrcPack: return File_LoadPackEntry(ref, name);
    case kFileSrcStore: return File_LoadFromStore(ref, name);
    case kFileSrcMemCache: return File_LoadFromMemCache(ref, name);
    default: return -2;
  }
}

int File_LoadNeeded(FileRef& ref, const char* name) {
  char low[kFilePathMax];
  if (!name || std::strlen(name) >= kFilePathMax) {
    Err_ShowF(104060, 1, name ? name : "");
    return -3;
  }
  std::strcpy(low, name);
  Str_ToLowerSjis(low);
  Str_ReplaceCharSjis(low, '/', '\\');
  int r = File_Lookup(ref, low, false);
  if (r == 0) {
    Err_ShowF(104060, 1, low);
    return -3;
  }
  if (r < 0) {
    Err_ShowF(r == -2 ? 901040 : 104010, 1, low);
    return -2;
  }
  return File_Load(ref, low);
}
