// Standard error plus the optional presenter for the sound subsystem's messages.
// Any thread: the presenter pointer is atomic.
#include "sound/sound_message.h"

#include <atomic>
#include <cstdio>

namespace sound {
namespace {
std::atomic<MessagePresenter> gPresenter{nullptr};
}

void setMessagePresenter(MessagePresenter presenter) { gPresenter.store(presenter); }

void showMessage(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  if (MessagePresenter presenter = gPresenter.load()) presenter(text.c_str());
}

}  // namespace sound
