// Presentation of each window's composed frame: 1:1, or scaled by the
// renderer's scalers into the screen buffer and shown at the letter-box
// offsets.
#include "graphics/graphics.h"
#include "platform/present.h"
#include "render/render.h"
#include "shell/shell.h"

namespace {

void Blit(WindowRec* rec, const uint8_t* pixels, int32_t w, int32_t h, int32_t x, int32_t y,
          int32_t dw, int32_t dh) {
  PlatPresent_Blit(rec->handle, pixels, w, h, w * 4, x, y, dw, dh);
}

// Paints the client area black once: one zero pixel stretched over the
// logical width rounded up to the next multiple of 4 by the logical height.
void PaintBlack(WindowRec* rec) {
  static const uint32_t kBlack = 0;
  int32_t w = (rec->logicalW & ~3) + 4;
  Blit(rec, reinterpret_cast<const uint8_t*>(&kBlack), 1, 1, 0, 0, w, rec->logicalH);
  PlatPresent_Commit(rec->handle);
}

void ScaleIntoBuffer(const LayerImage* root, int32_t cw, int32_t ch, bool filtered) {
  int32_t w = static_cast<int32_t>(root->width), h = static_cast<int32_t>(root->height);
  if (filtered) {
    auto scale = g_WinConfig.sseScaling ? Present_ScaleThreaded2 : Present_ScaleFiltered;
    scale(g_ScreenBuffer.pixels, root->pixels, 0, 0, 100 * (w - 1), 100 * (h - 1), w, h, 100 * cw,
          100 * ch);
  } else {
    Present_ScaleThreaded(g_ScreenBuffer.pixels, root->pixels, 0, 0, w - 1, h - 1, w, h, cw, ch);
  }
}

// Rows are packed at the shown width, so the bytes are what must fit.
bool BufferHolds(int32_t cw, int32_t ch) {
  return g_ScreenBuffer.pixels &&
         Screen_BufferBytes(cw, ch) <= Screen_BufferBytes(g_ScreenBuffer.width, g_ScreenBuffer.height);
}

// The letter-box is read by the mouse mapping on the main thread.
void SetLetterBox(int32_t x, int32_t y) {
  std::lock_guard<std::mutex> lock(g_ScreenViewLock);
  g_LetterBox.x = x;
  g_LetterBox.y = y;
}

// `v` is one view of the sizes, taken once for this presentation.
void PresentMain(WindowRec* rec, const LayerImage* root, const ScreenView& v) {
  int32_t w = static_cast<int32_t>(root->width), h = static_cast<int32_t>(root->height);
  int32_t cw = v.shownW, ch = v.shownH;
  bool full = g_FullScreen || g_WinConfig.fullScreenSecond;
  int scaler = 0;  // 0 none, 1 nearest, 2 filtered
  int32_t bx = 0, by = 0;
  if (full) {
    bx = (v.screenW - cw) / 2;
    by = (v.screenH - ch) / 2;
    SetLetterBox(bx, by);
    if ((g_WinConfig.fitMode != 0 && g_WinConfig.cpuFiltered) || g_WinConfig.fullScreenSecond)
      scaler = 2;
    else if (g_WinConfig.fitMode != 0)
      scaler = 1;
    else {
      Blit(rec, root->pixels, w, h, bx, by, cw, ch);
      return;
    }
  } else {
    SetLetterBox(0, 0);
    if (w == cw && h == ch) {
      Blit(rec, root->pixels, w, h, static_cast<int32_t>(root->x), static_cast<int32_t>(root->y),
           w, h);
      return;
    }
    scaler = g_WinConfig.cpuFiltered ? 2 : 1;
  }
  std::lock_guard<std::mutex> lock(g_ScreenLock);
  if (!BufferHolds(cw, ch)) return;  // no buffer after a failed allocation
  ScaleIntoBuffer(root, cw, ch, scaler == 2);
  Blit(rec, g_ScreenBuffer.pixels, cw, ch, bx, by, cw, ch);
}

// The window lock is held by the caller: rec->handle stays what it is (or
// null) until the commit.
void PresentFrameLocked(WindowRec* rec, ObjNode* rootNode) {
  const LayerImage* root = Layer_Record(rootNode);
  if (g_QuitRequested || !rec || !rec->handle || !root || !root->pixels) return;
  if (root->drawBox[2] - root->drawBox[0] + 1 <= 0 || root->drawBox[3] - root->drawBox[1] + 1 <= 0)
    return;
  bool main = rec->index == 0;
  const ScreenView v = main ? Screen_TakeView() : ScreenView{};
  int32_t cw = main ? v.shownW : rec->logicalW;
  int32_t ch = main ? v.shownH : rec->logicalH;
  if (cw <= 0 || ch <= 0) return;
  int32_t w = static_cast<int32_t>(root->width), h = static_cast<int32_t>(root->height);
  rec->dib.width = w;
  rec->dib.height = -h;
  if (main) PresentMain(rec, root, v);
  else Blit(rec, root->pixels, w, h, static_cast<int32_t>(root->x), static_cast<int32_t>(root->y), w, h);
  PlatPresent_Commit(rec->handle);
}

}  // namespace

void Present_Frame(WindowRec* rec, ObjNode* rootNode) {
  std::unique_lock<std::mutex> hold = PlatPresent_LockWindows();
  PresentFrameLocked(rec, rootNode);
}

int Present_Window(WindowRec* rec) {
  if (!rec) return g_QuitRequested;
  // Size changes asked for by the window procedure take effect here, on the
  // thread that also writes into the buffer.
  if (rec->index == 0) Screen_ApplyPendingBuffer();
  // From here to the commit the window cannot be destroyed under us.
  std::unique_lock<std::mutex> hold = PlatPresent_LockWindows();
  LayerImage* root = Layer_Record(rec->layerSet);
  bool empty = !rec->showAtFirstFrame || !root || !root->visible;
  if (empty) {
    if (rec->presented && rec->handle) {
      rec->presented = 0;
      PaintBlack(rec);
    }
  } else if (root->subtreeDirty) {
    rec->presented = 1;
    PresentFrameLocked(rec, rec->layerSet);
  }
  return g_QuitRequested;
}

void Present_FreeGdiBuffers() {}
