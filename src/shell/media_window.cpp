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
  out->shownW = g_Screen.shownW;
  out->shownH = g_Screen.shownH;
  out->screenW = g_Screen.screenW;
  out->screenH = g_Screen.screenH;
  out->boxX = g_LetterBox.x;
  out->boxY = g_LetterBox.y;
  out->fitMode = g_WinConfig.fitMode;
  out->handle = rec->handle;
}
