// Pending layer visibility and opacity, applied once per frame.
#include "graphics/graphics.h"

void Cg_CommitPendingState(ObjNode* first) {
  for (ObjNode* n = first; n; n = n->next) {
    if (n->kind == kObjKindGroup) Cg_CommitPendingState(n->first);
    LayerImage* r = Layer_Record(n);
    if (!r) continue;
    bool changed = false;
    if (r->pendingVisibleFlag) {
      r->pendingVisibleFlag = 0;
      changed |= r->visible != r->pendingVisible;
      r->visible = r->pendingVisible;
    }
    if (r->pendingOpacityFlag) {
      r->pendingOpacityFlag = 0;
      changed |= r->opacity != r->pendingOpacity;
      r->opacity = r->pendingOpacity;
    }
    if (changed) {
      g_FullRedraw = 1;
      Layer_MarkDirty(n);
    }
  }
}
