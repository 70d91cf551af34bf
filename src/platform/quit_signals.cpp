// The quit signals' watcher thread. Its only calls into the rest of the program
// are the display restore (which is made for a process that ends at any moment)
// and _exit; the main thread learns of a signal through one atomic.
#include "platform/quit_signals.h"

#include <SDL.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#include "platform/display_restore.h"

namespace platform {
namespace {

std::atomic<bool> gLoopHandles{false};
std::atomic<int> gPendingSignal{0};
constexpr auto kLoopGrace = std::chrono::seconds(2);

[[noreturn]] void endNow(int signal) {
  restoreDisplayForExit();
  _exit(128 + signal);
}

void watch(sigset_t signals) {
  int signal = 0;
  if (sigwait(&signals, &signal) != 0) return;
  if (!gLoopHandles.load()) endNow(signal);
  gPendingSignal.store(signal);
  // The loop quits at its next look and the shutdown order runs; a second
  // signal, or a loop that does not end in time (a stuck frame), ends it here.
  const auto deadline = std::chrono::steady_clock::now() + kLoopGrace;
  while (gLoopHandles.load()) {
    timespec step{0, 20 * 1000 * 1000};
    if (sigtimedwait(&signals, nullptr, &step) > 0) endNow(signal);
    if (gLoopHandles.load() && std::chrono::steady_clock::now() >= deadline) endNow(signal);
  }
  int again = 0;
  while (sigwait(&signals, &again) != 0) {
  }
  endNow(again);
}

}  // namespace

void installQuitSignals() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(watch, signals).detach();
}

void setQuitHandledByLoop(bool handled) { gLoopHandles.store(handled); }

bool takeQuitSignal() { return gPendingSignal.exchange(0) != 0; }

}  // namespace platform
