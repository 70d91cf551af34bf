// What every fuzz target shares: the input as a file for readers that take a
// path, and the fatal-exit hook that tells a prescribed fatal end (the reader's
// documented answer to that input) from any other, which is a finding.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>

#include "framework/types.h"

namespace fuzzing {

// Writes the input to one scratch file per process (in /dev/shm when there is
// one) named "input.<extension>", and returns its path.
std::string writeInput(const u8* pData, std::size_t size, const char* extension);

// With ORVANE_FUZZ_VERBOSE set, prints why a reader refused an input: for
// checking that the seeds are accepted.
void explainRefusal(const std::string& why);

// Thrown by the hook for a prescribed fatal text; runGuarded catches it.
struct PrescribedFatal {
  std::string text;
};

// Installs the hook. A fatal text in the list abandons the input; any other
// aborts, so libFuzzer keeps the input as a crash.
void acceptFatalTexts(std::initializer_list<const char*> texts);

// Runs one input; a prescribed fatal end counts as an ordinary rejection.
template <class Body>
void runGuarded(Body&& body) {
  try {
    body();
  } catch (const PrescribedFatal&) {
  }
}

}  // namespace fuzzing
