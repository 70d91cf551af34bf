// The quit signals' watcher thread and the exit hand-over. Off the main thread
// nothing here calls SDL but SDL_PushEvent, which SDL documents as safe from any
// thread; the display goes back through SDL on the main thread, or through the
// X server directly when the main thread does not answer.
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
std::atomic<bool> gHaveMainThread{false};
pthread_t gMainThread{};
constexpr auto kLoopGrace = std::chrono::seconds(2);
constexpr auto kHandOverWait = std::chrono::seconds(1);

// The exit another thread asked the main thread for: status 0 is none.
std::atomic<int> gExitStatus{0};
std::atomic<ExitPresenter> gExitPresenter{nullptr};
std::atomic<const char*> gExitText{nullptr};

void wakeMainThread() {
  SDL_Event event{};
  event.type = SDL_USEREVENT;
  SDL_PushEvent(&event);  // fails harmlessly before SDL's events start
}

void watch(sigset_t signals) {
  int signal = 0;
  if (sigwait(&signals, &signal) != 0) return;
  if (!gLoopHandles.load()) endProcess(128 + signal);
  gPendingSignal.store(signal);
  wakeMainThread();
  // The loop quits at its next look and the shutdown order runs; a second
  // signal, or a loop that does not end in time (a stuck frame), ends it here.
  const auto deadline = std::chrono::steady_clock::now() + kLoopGrace;
  while (gLoopHandles.load()) {
    timespec step{0, 20 * 1000 * 1000};
    if (sigtimedwait(&signals, nullptr, &step) > 0) endProcess(128 + signal);
    if (gLoopHandles.load() && std::chrono::steady_clock::now() >= deadline) endProcess(128 + signal);
  }
  int again = 0;
  while (sigwait(&signals, &again) != 0) {
  }
  endProcess(128 + again);
}

[[noreturn]] void endHere(int status, ExitPresenter presenter, const char* text) {
  restoreDisplayForExit();
  if (presenter && text) presenter(text);
  _exit(status);
}

}  // namespace

bool isMainThread() { return gHaveMainThread.load() && pthread_equal(pthread_self(), gMainThread); }

void installQuitSignals() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  gMainThread = pthread_self();
  gHaveMainThread.store(true);
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

void endProcess(int status, ExitPresenter presenter, const char* text) {
  if (!gHaveMainThread.load() || isMainThread()) endHere(status, presenter, text);
  gExitPresenter.store(presenter);
  gExitText.store(text);
  int none = 0;
  gExitStatus.compare_exchange_strong(none, status);  // the first request wins
  wakeMainThread();
  const auto deadline = std::chrono::steady_clock::now() + kHandOverWait;
  while (std::chrono::steady_clock::now() < deadline) {
    timespec step{0, 10 * 1000 * 1000};
    nanosleep(&step, nullptr);
  }
  restoreDisplayWithoutSdl();
  _exit(gExitStatus.load());
}

void serviceExitRequest() {
  const int status = gExitStatus.load();
  if (status != 0) endHere(status, gExitPresenter.load(), gExitText.load());
}

}  // namespace platform
