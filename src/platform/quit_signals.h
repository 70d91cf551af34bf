// SIGINT and SIGTERM end the program in any stage, and an exit decided on another
// thread is handed to the main thread, the only one that calls SDL. A watcher
// thread takes the signals (SDL's own handlers, which only post a quit event, are
// turned off): while the show's loop runs, the next pollEvent() reports a quit and
// the loop ends as on a second Escape; anywhere else (loading, the dialog, the
// big-screen pause), on a second signal, or when the loop does not end within two
// seconds, the exit is handed to the main thread, which puts the display back and
// ends the process with status 128 + the signal's number.
// Threads: installQuitSignals and serviceExitRequest on the main thread; the
// rest on any thread.
#pragma once

namespace platform {

// Once, on the main thread, before any other thread starts (so every thread
// inherits the blocked signals and only the watcher takes them).
void installQuitSignals();
// While true, a signal is the loop's to handle (it gets EventType::Quit).
void setQuitHandledByLoop(bool handled);
// Whether a quit signal arrived and has not yet been handed out as an event;
// consumes it.
bool takeQuitSignal();

// Shows a fatal text on the main thread (a message box); null for none.
using ExitPresenter = void (*)(const char* text);

// Ends the process with `status`. On the main thread: the display is put back,
// `text` presented (when both are given) and the process ends at once. On any
// other thread: the request is handed to the main thread, woken by an event, and
// this thread waits a second for it; a main thread that does not answer (stuck
// in a long GL call) does not hold the exit up: the display is then put back
// through a connection of this thread's own, never through SDL.
[[noreturn]] void endProcess(int status, ExitPresenter presenter = nullptr, const char* text = nullptr);
// The main thread's side: ends the process here when another thread asked for
// it. Called wherever the main thread waits for or handles events, and at each
// presented frame.
void serviceExitRequest();
bool isMainThread();

}  // namespace platform
