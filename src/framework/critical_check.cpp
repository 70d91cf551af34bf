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
std::atomic<FatalCleanup> gCleanup{nullptr};
}

void setFatalCleanup(FatalCleanup cleanup) { gCleanup.store(cleanup); }

void setFatalPresenter(FatalPresenter presenter) { gPresenter.store(presenter); }

void setFatalExitHook(FatalExitHook hook) { gExitHook.store(hook); }

void fatalExit(const char* text) {
  std::fputs(text, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  // The desktop comes back first: a message box over a changed mode could
  // wait for a click that never comes.
  if (FatalCleanup cleanup = gCleanup.exchange(nullptr)) {
    cleanup(text);
  }
  if (FatalPresenter presenter = gPresenter.load()) {
    presenter(text);
  }
  if (FatalExitHook hook = gExitHook.load()) {
    hook(text);
  }
  std::_Exit(kFatalExitStatus);
}

}  // namespace vell
