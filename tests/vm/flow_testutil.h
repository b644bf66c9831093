// Helpers of the VM tree, task and flow tests.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "shell/shell.h"

// Collects the error reports made while it lives (through the trace hook,
// which receives "error <number>: <text>"); Has(n) tells whether error
// number n was reported.
class ErrCapture {
 public:
  ErrCapture() {
    Text().clear();
    prev_ = g_TraceHook;
    g_TraceHook = [](const char* line) { Text() += std::string(line) + "\n"; };
  }
  ~ErrCapture() { g_TraceHook = prev_; }
  static std::string& Text() {
    static std::string text;
    return text;
  }
  bool Has(int number) { return Text().find("error " + std::to_string(number) + ":") != std::string::npos; }

 private:
  TraceFn prev_;
};
