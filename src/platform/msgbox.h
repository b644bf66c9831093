// Modal message boxes for start-up failures, warnings and the error dialog.
//
// All strings are the engine's CP932 bytes. A box is shown on screen only
// while boxes are interactive (the engine's entry point turns that on) and a
// display is present; otherwise the caption and text go to stderr and the
// default button is answered, so library users and tests never block. Tests
// install a recorder to see each request and choose the answer.
//
// On screen the engine draws the box itself in a window of its own
// (ui_dialog.h), on the main thread, with its Japanese UI face; SDL's box is
// only the fall-back where no such window can be opened. A quit signal
// (signals.h) ends a box that is up with its default answer, and a box asked
// for after one gives that answer at once.
#pragma once
#include <functional>
#include <string>
#include <vector>

enum class MsgBoxIcon { None, Info, Warning, Error, Question };

struct MsgBoxButton {
  int id = 1;
  std::string label;       // CP932
  bool isDefault = false;  // answered by Enter, and without a display
  bool enabled = true;     // a disabled button is drawn grey and cannot be pressed
  bool isCancel = false;   // answered by Escape, and without a display
  bool staysOpen = false;  // on screen a press calls onStayingPress; the box stays up
};

struct MsgBoxRequest {
  std::string caption;  // CP932
  bool defaultCaption = false;  // true: the system's caption ("Error") instead
  std::string text;     // CP932; '\n' separates lines
  std::vector<MsgBoxButton> buttons;  // none: a single OK answering 1
  MsgBoxIcon icon = MsgBoxIcon::None;
  bool owned = false;   // owned by the engine's main window (else system-modal, on top)
  // Presses of staysOpen buttons on screen (a recorder or a box without a
  // screen answers them as any other button instead).
  std::function<void(int id)> onStayingPress;
};

// Shows the box and returns the id of the pressed button (the default one
// when the box is closed without a choice or cannot be shown). Any thread:
// the box itself runs on the main thread while the caller waits.
int MsgBox_Show(const MsgBoxRequest& request);

// The id a request answers without a screen: its cancel button, else its
// default enabled button, else its first enabled button, else 1.
int MsgBox_DefaultAnswer(const MsgBoxRequest& request);

using MsgBoxRecorder = std::function<int(const MsgBoxRequest&)>;
// Installs (or, with an empty function, removes) the recorder that takes
// every request in place of the screen.
void MsgBox_SetRecorder(MsgBoxRecorder recorder);

// Turns on-screen boxes (and the text-input dialogs) on or off (off at start).
void MsgBox_SetInteractive(bool on);
// True when a box asked for now would be shown on screen: interactive, a
// display, and no quit signal yet.
bool MsgBox_OnScreen();
