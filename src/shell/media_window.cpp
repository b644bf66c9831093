// Window 0 as the media players need it: the sizes and offsets of its
// picture, handed over through the players' hook.
#include "media/media.h"
#include "render/render.h"
#include "shell/shell.h"

void Media_FillWindow0(MediaWindowInfo* out) {
  const WindowRec* rec = g_WindowRecs[0];
  if (!rec) return;
  out->logicalW = rec->logicalW;
  out->logicalH = rec->logicalH;
  const ScreenView v = Screen_TakeView();
  out->shownW = v.shownW;
  out->shownH = v.shownH;
  out->screenW = v.screenW;
  out->screenH = v.screenH;
  out->boxX = v.boxX;
  out->boxY = v.boxY;
  out->fitMode = g_WinConfig.fitMode;
  out->handle = rec->handle;
}
