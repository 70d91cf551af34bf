// A modal dialog drawn with Dear ImGui in a small borderless SDL window centred on
// the desktop, laid out from a template in dialog units. The caller's handler owns
// every decision; this file only draws, routes input (mouse, and the keyboard:
// Tab and Shift+Tab move the focus, arrows move in a list, Space toggles or
// presses, Enter runs) and lets free points drag.
// Does not: know what any control means, or keep state between runs.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class DialogControlKind { Picture, GroupBox, ListBox, CheckBox, PushButton, DefaultPushButton };

struct DialogRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

struct DialogControl {
  int id = 0;  // 0 for controls that send nothing (picture, group box)
  DialogControlKind kind = DialogControlKind::GroupBox;
  std::string text;  // the caption; for a picture, the image file
  DialogRect rect;   // dialog units
};

struct DialogTemplate {
  int width = 0;   // dialog units
  int height = 0;
  std::vector<DialogControl> controls;
};

// What a control shows now.
struct DialogControlState {
  bool enabled = true;
  bool checked = false;             // check boxes
  std::vector<std::string> lines;   // list boxes
  int selected = -1;                // list boxes
};

// Identifier the window sends for Escape and for the window manager's close.
inline constexpr int kDialogCancelId = 2;

class DialogHandler {
 public:
  virtual ~DialogHandler() = default;
  virtual DialogControlState controlState(int controlId) const = 0;
  // A button or check box was clicked, Enter pressed (the default button's
  // identifier) or Escape / close (kDialogCancelId). Nonzero ends the dialog.
  virtual int command(int controlId) = 0;
  virtual void select(int listId, int line) = 0;
};

// Synthetic input for tests, played one step after another.
struct DialogScriptStep {
  enum class Kind { Enter, Escape, Close, Click, Tab, ShiftTab, Up, Down, Space };
  Kind kind = Kind::Enter;
  int controlId = 0;
  int line = -1;  // for a list: the line to click
};

// The keyboard's focus order, as a desktop dialog's: list boxes, check boxes and
// buttons in template order, disabled ones skipped. The control after `current`
// (a control id; 0 for none), or before it with `backwards`, wrapping round; 0
// when no control can take the focus.
int nextFocusedControl(const DialogTemplate& dialog, const DialogHandler& handler, int current, bool backwards);

struct DialogWindowOptions {
  std::string title;
  std::vector<DialogScriptStep> script;
  std::string screenshotPath;  // when set, the first rendered frame is written there as PNG
  int frameLimit = 0;          // when positive, the dialog gives up after that many frames
};

// Pixels per dialog unit, both directions.
inline constexpr int kDialogPixelsPerUnit = 2;

// Runs the dialog until the handler ends it and returns the handler's result;
// 0 when the window could not be created or the frame limit was reached.
int runDialogWindow(const DialogTemplate& dialog, DialogHandler& handler,
                    const DialogWindowOptions& options);

// The control that takes a click at a pixel of the dialog, or 0 for a free point
// (group boxes and pictures are free: a click there drags the dialog).
int dialogControlAt(const DialogTemplate& dialog, int pixelX, int pixelY);

// Opens a URL with the desktop's opener; false when that failed to start.
bool openUrlWithDesktop(const std::string& url);

}  // namespace platform
