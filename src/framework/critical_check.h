// The fatal check: a broken precondition shows a fixed text naming the failed
// expression and ends the process at once, without any clean-up. Any thread may fail.
// Does not: recover, log, or run destructors.
#pragma once

// The whole text is a string literal made when the program is built: the
// expression and the message exactly as written at the check site.
#define VELL_CRITICAL_TEXT(expression, message) "Critical error:[" #expression " + " #message "]"

#define CRITICAL_CHECK(expression, message)                                   \
  do {                                                                        \
    if (!(expression)) {                                                      \
      ::vell::fatalExit(VELL_CRITICAL_TEXT(expression, message));             \
    }                                                                         \
  } while (0)

namespace vell {

// Status with which a fatal exit ends the process.
inline constexpr int kFatalExitStatus = 3;

// Shows the text (standard error, and the presenter when one is installed)
// and terminates the process immediately. Never returns.
[[noreturn]] void fatalExit(const char* text);

// An interactive run installs a presenter that shows the text in a modal
// message box before the process ends; tests and headless runs leave none.
using FatalPresenter = void (*)(const char* text);
void setFatalPresenter(FatalPresenter presenter);

// Puts back what the program changed outside its window (the display mode)
// before the process ends; does no other clean-up. It is given the text, so that
// one called off the main thread may hand the whole exit (box included) to it
// and not return. Null: none.
using FatalCleanup = void (*)(const char* text);
void setFatalCleanup(FatalCleanup cleanup);

// Called with the text after it is shown, just before the process ends. Only
// fuzzing harnesses install one: a harness throws from it to abandon an input
// whose fatal end is the prescribed answer to that input, so the campaign goes
// on; a hook that returns lets the process end as usual. Null: none.
using FatalExitHook = void (*)(const char* text);
void setFatalExitHook(FatalExitHook hook);

}  // namespace vell
