// SIGINT and SIGTERM end the program in any stage. A watcher thread takes them
// (SDL's own handlers, which only post a quit event, are turned off): while the
// show's loop runs, the next pollEvent() reports a quit and the loop ends as on
// a second Escape; anywhere else (loading, the dialog) or when the loop does not
// end within two seconds, the watcher puts the display back and ends the process
// with status 128 + the signal's number. A second signal ends it at once.
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

}  // namespace platform
