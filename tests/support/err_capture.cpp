// The hooks are plain function pointers, so what they see goes into
// file-level state that the one live capture reads.
#include "support/err_capture.h"

#include <algorithm>

#include "shell/shell.h"

namespace {

std::vector<int32_t> g_Numbers;
std::string g_Text;

void OnReport(int32_t number, int) { g_Numbers.push_back(number); }
void OnTrace(const char* line) {
  g_Text += line;
  g_Text += '\n';
}

}  // namespace

ErrCapture::ErrCapture() : prevObserver_(g_ErrObserver), prevTrace_(g_TraceHook) {
  Clear();
  g_ErrObserver = OnReport;
  g_TraceHook = OnTrace;
}

ErrCapture::~ErrCapture() {
  g_ErrObserver = prevObserver_;
  g_TraceHook = prevTrace_;
}

const std::vector<int32_t>& ErrCapture::Numbers() const { return g_Numbers; }

bool ErrCapture::Has(int32_t number) const {
  return std::find(g_Numbers.begin(), g_Numbers.end(), number) != g_Numbers.end();
}

const std::string& ErrCapture::Text() const { return g_Text; }

void ErrCapture::Clear() {
  g_Numbers.clear();
  g_Text.clear();
}
