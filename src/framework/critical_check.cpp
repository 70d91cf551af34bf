// Ends the process for a failed fatal check or a start-up capability failure.
// Called from any thread; takes no lock and stops no other thread first.
#include "framework/critical_check.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace vell {
namespace {
std::atomic<FatalPresenter> gPresenter{nullptr};
std::atomic<FatalExitHook> gExitHook{nullptr};
}

void setFatalPresenter(FatalPresenter presenter) { gPresenter.store(presenter); }

void setFatalExitHook(FatalExitHook hook) { gExitHook.store(hook); }

void fatalExit(const char* text) {
  std::fputs(text, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  if (FatalPresenter presenter = gPresenter.load()) {
    presenter(text);
  }
  if (FatalExitHook hook = gExitHook.load()) {
    hook(text);
  }
  std::_Exit(kFatalExitStatus);
}

}  // namespace vell
