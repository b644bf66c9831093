#include "fail_alloc.h"

#include <new>

std::atomic<std::size_t> g_FailNothrowSize{0};
std::atomic<FailNothrowFn> g_FailNothrowWhen{nullptr};

void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  if (n == g_FailNothrowSize) return nullptr;
  if (FailNothrowFn when = g_FailNothrowWhen; when && when(n)) return nullptr;
  try {
    return ::operator new(n);
  } catch (...) {
    return nullptr;
  }
}
