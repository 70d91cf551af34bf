// How a start-up failure that ends the program reaches the viewer: always on
// standard error, and in a message box only when a presenter is set, which the
// entry does for interactive runs alone, so headless runs never wait for a click.
#pragma once

#include <string>

using MessageBoxPresenter = void (*)(const char* caption, const char* text);

// Null (the default): no message boxes at all.
void setStartupMessageBoxes(MessageBoxPresenter presenter);
// Writes "orvane: " + text (and `detail` in parentheses, when given) to standard
// error and shows `text` under `caption` when boxes are on.
void reportStartupFailure(const char* caption, const std::string& text, const std::string& detail = "");
