// Error reporting: the four numbered reporters, their texts, the checked
// formatter, the error dialog's model, the trace hook and the system message
// box. Used by every subsystem; reaches the VM (script place) only through
// g_ErrPlaceHook.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// ---- Error reporting (err_report.cpp, err_format.cpp, err_dialog.cpp) --
constexpr size_t kErrTextBufferSize = 1024;    // prefixed and formatted texts
constexpr size_t kErrDialogTextSize = 2048;    // text as the dialog shows it
constexpr int kErrDlgText = 1032;              // dialog controls
constexpr int kErrDlgEditButton = 1033;
constexpr int kErrDlgCloseButton = 1034;

// One argument of a formatted report, captured with its type so that the
// checked formatter never reads an argument that was not passed.
struct ErrArg {
  enum class Kind : uint8_t { None, Int, Str, Double };
  Kind kind = Kind::None;
  int64_t i = 0;
  double d = 0;
  const char* s = nullptr;
  size_t len = 0;  // for Str: bytes, or SIZE_MAX for a zero-terminated string

  ErrArg() = default;
  template <typename T>
    requires(std::is_integral_v<T> || std::is_enum_v<T>)
  ErrArg(T v) : kind(Kind::Int), i(int64_t(v)) {}
  ErrArg(double v) : kind(Kind::Double), d(v) {}
  ErrArg(float v) : kind(Kind::Double), d(v) {}
  ErrArg(const char* v) : kind(Kind::Str), s(v), len(SIZE_MAX) {}
  ErrArg(const unsigned char* v)
      : kind(Kind::Str), s(reinterpret_cast<const char*>(v)), len(SIZE_MAX) {}
  ErrArg(std::nullptr_t) : kind(Kind::Str) {}
  ErrArg(std::string_view v) : kind(Kind::Str), s(v.data()), len(v.size()) {}
};

// printf-style formatting of a report's text, checked against the captured
// arguments: only %d %i %u %x %X %s %c %% (with flags "-0 +#", a width, a
// precision and the length forms l, ll, h, hh, I64, z), and %f %g %e for
// floating values, are understood. A missing argument formats as nothing,
// an argument of the wrong kind as "?", an unknown conversion is copied as
// written. The result is cut below `cap` bytes on a Shift-JIS character
// boundary and always terminated. Returns the length written.
size_t Err_FormatChecked(char* out, size_t cap, const char* format, const ErrArg* args,
                         size_t count);

// Reports error `number`: the text with the caller's arguments, with the
// script place (scene file and line) when `withPlace` and the VM knows one.
// Sets g_QuitRequested to `quit` and shows the first report of the run.
void Err_Report(int32_t number, int quit, bool withPlace, const ErrArg* args, size_t count);
// Told the number and quit flag of every report (after its trace line,
// before its dialog). Null unless a test watches the reports.
using ErrObserverFn = void (*)(int32_t number, int quit);
extern ErrObserverFn g_ErrObserver;

// Numbered errors. The script forms add the current scene file and line.
// All four set g_QuitRequested to `quit` (0 clears an earlier request) and
// show the error dialog for the first report of the run only.
// The F forms take printf arguments for the number's text; %I64d is accepted
// for 64-bit values.
template <typename... A>
void Err_ScriptF(int32_t number, int quit, const A&... args) {
  const ErrArg list[] = {ErrArg(args)..., ErrArg()};
  Err_Report(number, quit, true, list, sizeof...(A));
}
template <typename... A>
void Err_ShowF(int32_t number, int quit, const A&... args) {
  const ErrArg list[] = {ErrArg(args)..., ErrArg()};
  Err_Report(number, quit, false, list, sizeof...(A));
}
void Err_Script(int32_t number, int quit);
void Err_Show(int32_t number, int quit);

// The text for a number: the built-in text for the fifteen built-in
// numbers, else the error-text table's first entry for it, else the
// internal-error text. Shift-JIS, never null.
const char* Err_GetText(int32_t number);
// Build the prefixed text (a format) in the first buffer and return it; the
// script form adds the place when there is one (a '%' in the scene file's
// name is doubled so that it prints as itself). Both reset g_ErrFile and
// g_ErrLine first and set g_QuitRequested to `quit`.
const char* Err_FormatScript(int32_t number, int quit);
const char* Err_FormatPlain(int32_t number, int quit);

// Scene file of the last script error (null without a place) and its line
// (1 without a place). Written by the reporter on the reporting thread.
extern const char* g_ErrFile;
extern int32_t g_ErrLine;
// Caption of the error dialog: "TAVREN Debug Info." unless the start-up set
// "License Information" for the "/info" switch.
extern const char* g_ErrCaption;
// Set by the first error dialog of the process, never cleared.
extern std::atomic<uint8_t> g_ErrDialogShown;
// Debug option of the engine configuration: 1 offers "open in the editor".
extern uint8_t g_DebugMode;

// Error-text table filled by the compiled-data reader from "qve.qbn":
// `count` entries of parallel numbers and texts (Shift-JIS, owned by the
// reader and kept alive for the whole run). Empty until that file is read.
constexpr int kErrTextTableMax = 256;
struct ErrTextTable {
  int32_t count = 0;
  uint32_t numbers[kErrTextTableMax] = {};
  const char* texts[kErrTextTableMax] = {};
};
extern ErrTextTable g_ErrTextTable;

// Place of the instruction being run, for the script forms. Set by the VM at
// start-up; returns false (or is null) when there is no scene table or no
// current task, and the report then carries no place.
using ErrPlaceFn = bool (*)(const char** sceneFile, int32_t* line);
extern ErrPlaceFn g_ErrPlaceHook;

// Called by the error dialog before it shows: the shell shows the mouse
// cursor through its own auto-hide state, so the state stays right.
using ErrDialogOpenFn = void (*)();
extern ErrDialogOpenFn g_ErrDialogOpenHook;

// The error dialog: shows `text` with the close button and, with
// g_DebugMode 1, the open-in-editor button (enabled only when g_ErrFile is
// set). Only the first call of the process shows anything.
void ErrDlg_Show(const char* text);
// Handles a press of `button`; returns true when the dialog ends.
bool ErrDlg_Proc(int button);
// The dialog's text: `text` bounded to kErrDialogTextSize on a character
// boundary, as UTF-8 for the screen.
std::string ErrDlg_SetText(const char* text);
// Arguments for the editor whose file name (after its last '/' or '\') is
// `editorName`, to open `path` at `line`: the editors the engine knows get
// their own line option, any other editor the path alone.
std::vector<std::string> ErrDlg_EditorArgs(std::string_view editorName,
                                           const std::string& path, int32_t line);
// Opens g_ExeDir + g_ErrFile in the user's editor at g_ErrLine; false when
// no editor is known or it could not be started.
bool ErrDlg_OpenEditor();

// Progress and diagnostic texts. The hook does nothing unless a test or a
// tool installs one.
using TraceFn = void (*)(const char* text);
extern TraceFn g_TraceHook;
void Sys_Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// printf-style system-modal message box; returns the pressed button's id
// (1 for OK). A null caption gives the system's default caption.
int Sys_MessageBoxF(const char* caption, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

