// Writes seed files for fuzz_image into the folder argv[1]: one valid file
// of each decoder's formats, prefixed with the byte that selects it.
#include <cstdio>
#include <string>

#include "support/image_writer.h"

namespace {

void Put(const std::string& dir, const std::string& name, char selector, const std::string& bytes) {
  std::string path = dir + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fputc(selector, f);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
    return 1;
  }
  std::string dir = argv[1];
  imgfix::Picture p = imgfix::Pattern(23, 11, true);
  // Selectors: 0 BMP, 1 PNG, 2 JPEG, 3 GIF, 4 QCG (the fuzz target's table).
  Put(dir, "bmp24", 0, imgfix::WriteBmp(p));
  Put(dir, "bmp8", 0, imgfix::WriteBmp(p, {.bpp = 8}));
  Put(dir, "bmp32", 0, imgfix::WriteBmp(p, {.bpp = 32, .topDown = true}));
  Put(dir, "bmp565", 0, imgfix::WriteBmp(p, {.bpp = 16, .bitfields565 = true}));
  Put(dir, "png_rgba", 1, imgfix::WritePng(p));
  Put(dir, "png_pal_trns", 1, imgfix::WritePng(p, imgfix::PngKind::PaletteTrns, true));
  Put(dir, "png_grey2", 1, imgfix::WritePng(p, imgfix::PngKind::Grey2));
  Put(dir, "jpeg", 2, imgfix::WriteJpeg(p));
  Put(dir, "jpeg_grey", 2, imgfix::WriteJpeg(p, 70, true));
  std::vector<uint8_t> idx(23 * 11);
  for (size_t i = 0; i < idx.size(); i++) idx[i] = uint8_t(i % 5);
  std::vector<uint8_t> pal(768);
  for (size_t i = 0; i < pal.size(); i++) pal[i] = uint8_t(i * 7);
  imgfix::GifOptions go;
  go.transparentIndex = 2;
  go.interlaced = true;
  go.commentBlocks = true;
  Put(dir, "gif", 3, imgfix::WriteGif(23, 11, idx, pal, go));
  Put(dir, "qcg_zlib", 4, imgfix::WriteQcg(p));
  Put(dir, "qcg_raw", 4, imgfix::WriteQcg(p, {.zlib = false}));
  return 0;
}
