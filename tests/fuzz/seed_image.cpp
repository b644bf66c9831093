// Writes seed files for fuzz_image into the folder argv[1]: one valid file
// of each decoder's formats, prefixed with the byte that selects it.
#include <cstdio>
#include <string>

#include "fuzz/seed_files.h"
#include "support/image_writer.h"

int main(int argc, char** argv) {
  const char* folder = seed::FolderArg(argc, argv);
  if (!folder) return 1;
  std::string dir = folder;
  imgfix::Picture p = imgfix::Pattern(23, 11, true);
  // Selectors: 0 BMP, 1 PNG, 2 JPEG, 3 GIF, 4 QCG (the fuzz target's table).
  seed::PutSelected(dir, "bmp24", 0, imgfix::WriteBmp(p));
  seed::PutSelected(dir, "bmp8", 0, imgfix::WriteBmp(p, {.bpp = 8}));
  seed::PutSelected(dir, "bmp32", 0, imgfix::WriteBmp(p, {.bpp = 32, .topDown = true}));
  seed::PutSelected(dir, "bmp565", 0, imgfix::WriteBmp(p, {.bpp = 16, .bitfields565 = true}));
  seed::PutSelected(dir, "png_rgba", 1, imgfix::WritePng(p));
  seed::PutSelected(dir, "png_pal_trns", 1, imgfix::WritePng(p, imgfix::PngKind::PaletteTrns, true));
  seed::PutSelected(dir, "png_grey2", 1, imgfix::WritePng(p, imgfix::PngKind::Grey2));
  seed::PutSelected(dir, "jpeg", 2, imgfix::WriteJpeg(p));
  seed::PutSelected(dir, "jpeg_grey", 2, imgfix::WriteJpeg(p, 70, true));
  std::vector<uint8_t> idx(23 * 11);
  for (size_t i = 0; i < idx.size(); i++) idx[i] = uint8_t(i % 5);
  std::vector<uint8_t> pal(768);
  for (size_t i = 0; i < pal.size(); i++) pal[i] = uint8_t(i * 7);
  imgfix::GifOptions go;
  go.transparentIndex = 2;
  go.interlaced = true;
  go.commentBlocks = true;
  seed::PutSelected(dir, "gif", 3, imgfix::WriteGif(23, 11, idx, pal, go));
  // Image data over many sub-blocks, so their boundaries are in reach.
  std::vector<uint8_t> many(48 * 40);
  for (size_t i = 0; i < many.size(); i++) many[i] = uint8_t(i * 37 + i / 48);
  seed::PutSelected(dir, "gif_blocks", 3, imgfix::WriteGif(48, 40, many, pal));
  seed::PutSelected(dir, "qcg_zlib", 4, imgfix::WriteQcg(p));
  seed::PutSelected(dir, "qcg_raw", 4, imgfix::WriteQcg(p, {.zlib = false}));
  return 0;
}
