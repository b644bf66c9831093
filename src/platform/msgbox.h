// Modal message boxes for start-up failures, warnings and the error dialog.
//
// All strings are the engine's CP932 bytes; the box converts them at the
// edge. A box is shown on screen only while boxes are interactive (the
// engine's entry point turns that on) and a display is present; otherwise
// the caption and text go to stderr and the default button is answered, so
// library users and tests never block. Tests install a recorder to see each
// request and choose the answer.
#pragma once
#include <functional>
#include <string>
#include <vector>

enum class MsgBoxIcon { None, Info, Warning, Error };

struct MsgBoxButton {
  int id = 1;
  std::string label;       // CP932
  bool isDefault = false;  // answered by Enter, and without a display
  bool enabled = true;     // a disabled button is not offered on screen
  bool isCancel = false;   // answered by Escape, and without a display
};

struct MsgBoxRequest {
  std::string caption;  // CP932
  bool defaultCaption = false;  // true: the system's caption ("Error") instead
  std::string text;     // CP932; '\n' separates lines
  std::vector<MsgBoxButton> buttons;  // none: a single OK answering 1
  MsgBoxIcon icon = MsgBoxIcon::None;
};

// Shows the box and returns the id of the pressed button (the default one
// when the box is closed without a choice or cannot be shown).
int MsgBox_Show(const MsgBoxRequest& request);

// The id a request answers without a screen: its cancel button, else its
// default enabled button, else its first enabled button, else 1.
int MsgBox_DefaultAnswer(const MsgBoxRequest& request);

using MsgBoxRecorder = std::function<int(const MsgBoxRequest&)>;
// Installs (or, with an empty function, removes) the recorder that takes
// every request in place of the screen.
void MsgBox_SetRecorder(MsgBoxRecorder recorder);

// Turns on-screen boxes on or off (off at start).
void MsgBox_SetInteractive(bool on);
// Window that owns later boxes (an SDL_Window*), or null for none.
void MsgBox_SetOwner(void* sdlWindow);
