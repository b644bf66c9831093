// State of the presentation shared by the renderer and the shell.
#include "render/render.h"

LetterBox g_LetterBox;
