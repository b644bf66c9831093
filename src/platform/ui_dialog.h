// Dialogs on engine-drawn windows (ui_window.h): a caption, an icon, lines
// of text (wrapped to the screen, scrolled when long), an optional one-line
// edit field with typed text and the input method, and a row of push
// buttons. Keyboard: Enter presses the focused button (from the edit field,
// the default button), Space the focused button, Tab / Shift+Tab and the
// arrow keys move between the controls, Escape and the close box give the
// escape answer where there is one; Ctrl+C copies the text, Ctrl+V pastes
// into the field. Mouse: a press and release on a button presses it.
//
// The text-input dialogs of the script commands are built here too; like
// the message boxes (msgbox.h) they take a recorder in place of the screen
// for tests and answer their default without a screen.
//
// All strings are the engine's CP932 bytes.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/window.h"

enum class UiIcon : uint8_t { None, Info, Question, Warning, Error };

struct UiDialogButton {
  int32_t id = 1;
  std::string label;
  bool isDefault = false;  // Enter from the edit field; the first focus without a field
  bool enabled = true;     // a disabled button is drawn grey and never pressed
  bool staysOpen = false;  // a press calls onStayingPress and leaves the dialog up
};

enum class UiDialogLayout : uint8_t {
  MessageBox,  // text beside the icon, buttons right-aligned in a footer band
  Form,        // text centred above the field, buttons centred below it
};

struct UiDialogSpec {
  std::string caption;
  std::string text;  // '\n' separates lines
  UiIcon icon = UiIcon::None;
  UiDialogLayout layout = UiDialogLayout::MessageBox;
  std::vector<UiDialogButton> buttons;  // none: a single "OK" answering 1
  int32_t escapeId = 0;    // answer of Escape and of the close box; 0: neither ends the dialog
  bool hasEdit = false;
  std::string editText;      // initial text of the field
  int32_t editMaxChars = 0;  // > 0: at most that many characters (a double-byte one counts 1)
  int32_t editMaxBytes = 4095;
  int32_t minClientW = 0;    // the client area at least this wide
  PlatWindow* owner = nullptr;
  bool topmost = false;
  std::function<void(int32_t id)> onStayingPress;
};

struct UiDialogResult {
  int32_t id = 0;         // the button pressed, or the escape answer
  std::string editText;   // the field's text at the end
  bool bySignal = false;  // ended by a quit signal (id is then the escape answer, else the
                          // default button's)
};

// Shows the dialog and runs it to its end on the main thread; from another
// thread the main thread runs it while this one waits. False when nothing
// could be shown (no window, or the main thread no longer runs its loop).
bool UiDialog_Run(const UiDialogSpec& spec, UiDialogResult* out);

// ---- Text-input dialogs ----------------------------------------------------------
constexpr int32_t kTextInputMaxBytes = 4095;  // entered text at most (a 4096-byte buffer)
constexpr int32_t kTextInputLineChars = 256;  // limit of the line form's field

enum class TextInputForm : uint8_t {
  Prompt,  // caption, prompt above the field, OK only; neither Escape nor the close box end it
  Line,    // the field with OK and Cancel; Escape and the close box cancel
};

struct TextInputRequest {
  TextInputForm form = TextInputForm::Prompt;
  std::string caption;
  std::string prompt;    // '\n' separates lines; the Prompt form only
  std::string initial;   // the field's initial text
  int32_t maxChars = 0;  // > 0 limits the field to that many characters
  bool owned = true;     // owned by (centred on, kept above) the engine's main window
};

enum class TextInputAnswer : int8_t { Failed = -1, Ok = 1, Cancel = 2 };

struct TextInputResult {
  TextInputAnswer answer = TextInputAnswer::Failed;
  std::string text;  // the field's text at OK, at most kTextInputMaxBytes; empty otherwise
};

// Shows the dialog (from any thread; it runs on the main thread) and returns
// the answer. Without a screen, or while boxes are not interactive
// (msgbox.h), nothing is shown and the default answer is given. Failed when a
// screen is there but no dialog could be opened.
TextInputResult TextInput_Show(const TextInputRequest& request);
// The answer without a screen: the Prompt form OK with the initial text (it
// cannot be cancelled), the Line form Cancel.
TextInputResult TextInput_DefaultAnswer(const TextInputRequest& request);

using TextInputRecorder = std::function<TextInputResult(const TextInputRequest&)>;
// Installs (or, with an empty function, removes) the recorder that takes
// every request in place of the screen.
void TextInput_SetRecorder(TextInputRecorder recorder);
