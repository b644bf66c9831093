// The image loader's front end: lookup, decoder by type, transparent key.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "files/files.h"
#include "graphics/graphics.h"
#include "base/base.h"

PsbLoaderFn g_PsbLoader = nullptr;

int Img_FindAndLoad(FileRef& ref, const char* name, bool report) {
  if (ref.source == kFileSrcNone) {
    if (report) Err_ShowF(104060, 1, name);
    return -1;
  }
  return File_Load(ref, name) == 0 ? 0 : -1;
}

int Img_DecodeMemory(LayerImage* rec, int type, const uint8_t* data, size_t size, const char* name) {
  rec->alphaMode = 0;
  int r;
  switch (type) {
    case kFileTypeBmp: r = Img_DecodeBmp(rec, data, size, name); break;
    case kFileTypePng: r = Img_DecodePng(rec, data, size, name); break;
    case kFileTypeQcg: r = Img_DecodeQcg(rec, data, size, name); break;
    case kFileTypePsb: r = Load_PSB(rec, data, size, name); break;
    case kFileTypeJpg:
      r = Img_DecodeJpeg(rec, data, size, name);
      if (r) Err_Show(100210, 1);
      break;
    case kFileTypeGif:
      r = Img_DecodeGif(rec, data, size, name);
      if (r) Err_Show(100215, 1);
      break;
    case kFileTypePsd:
      Img_RejectPsd(rec, data, size, name);
      return -1;
    default:
      Err_ShowF(100030, 1, name);
      return -1;
  }
  if (r) return -1;
  // JPEG and PNG without alpha come out with every alpha byte 255: nothing
  // to key, so their pixels are not walked again.
  bool opaque = type == kFileTypeJpg || (type == kFileTypePng && rec->alphaMode == 0);
  if (!opaque) Img_KeyTransparent(rec);
  Img_StampLoadTime();
  return 0;
}

int Img_LoadFile(LayerImage* rec, const char* name) {
  FileRef ref;
  char tried[kFilePathMax];
  int found = File_Resolve(ref, tried, name, kResolveImage);
  if (found < 0) return -1;
  if (found == 1) return Img_MakeBlank(rec, name);
  if (ref.type == kFileTypeUnknown) ref.type = File_TypeFromExt(tried);
  if (ref.type != kFileTypeBmp && ref.type != kFileTypePng && ref.type != kFileTypeJpg &&
      ref.type != kFileTypeGif && ref.type != kFileTypePsd && ref.type != kFileTypeQcg &&
      ref.type != kFileTypePsb) {
    rec->alphaMode = 0;
    Err_ShowF(100030, 1, name);
    return -1;
  }
  if (Img_FindAndLoad(ref, tried, true) != 0) return -1;
  int r = Img_DecodeMemory(rec, ref.type, ref.data, ref.size, name);
  std::free(ref.data);
  return r;
}

int Img_RejectPsd(LayerImage*, const uint8_t*, size_t, const char* name) {
  Err_ScriptF(100220, 1, name);
  return -1;
}

int Load_PSB(LayerImage* rec, const uint8_t* data, size_t size, const char* name) {
  if (Img_SetSize(rec, 2, 2, name) != 0) return -1;
  std::fill(rec->pixels, rec->pixels + Img_PixelBytes(2, 2), uint8_t(0));
  rec->alphaMode = 1;
  if (!g_PsbLoader) return 0;
  return g_PsbLoader(rec, data, size, name);
}
