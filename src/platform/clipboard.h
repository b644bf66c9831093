// The system clipboard's text, in the engine's CP932 bytes. Without a video
// system (tests, tools) a clipboard private to the process stands in, so
// that text set is still read back.
#pragma once
#include <string>
#include <string_view>

// Places the text on the clipboard; false when the system refused it.
bool Clip_SetText(std::string_view sjis);
// The clipboard's text; false when it holds none.
bool Clip_GetText(std::string* sjis);
