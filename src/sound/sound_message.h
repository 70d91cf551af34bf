// The sound subsystem's user messages (unreadable or unsupported music): always
// written to standard error, and shown in a message box when the app installs
// a presenter. Any thread may show a message.
#pragma once

#include <string>

namespace sound {

// An interactive run installs one that shows a modal, top-most box with an
// exclamation icon and no caption; tests and headless runs leave none.
using MessagePresenter = void (*)(const char* text);
void setMessagePresenter(MessagePresenter presenter);

void showMessage(const std::string& text);

}  // namespace sound
