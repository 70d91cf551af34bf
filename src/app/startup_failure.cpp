// Start-up failures on standard error and, in interactive runs, in a message box.
#include "app/startup_failure.h"

#include <cstdio>

namespace {
MessageBoxPresenter gPresenter = nullptr;
}

void setStartupMessageBoxes(MessageBoxPresenter presenter) { gPresenter = presenter; }

void reportStartupFailure(const char* caption, const std::string& text, const std::string& detail) {
  if (detail.empty()) {
    std::fprintf(stderr, "orvane: %s\n", text.c_str());
  } else {
    std::fprintf(stderr, "orvane: %s (%s)\n", text.c_str(), detail.c_str());
  }
  std::fflush(stderr);
  if (gPresenter) gPresenter(caption, text.c_str());
}
