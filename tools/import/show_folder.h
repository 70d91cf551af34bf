// Putting a converted scene into a show folder: a new show when the folder holds
// none, the model's folder and Qel file swapped in whole, and the running-order
// row; everything is staged beside its place first, so a failure leaves the show as it was.
#pragma once

#include <string>

#include "import/scene_convert.h"

namespace orvane::import {

struct Placement {
  int line = -1;  // -1: the importer chooses (chooseLine)
  double at = 0;  // seconds into the show
};

// Runs `orvane-new-show` from the folder of `program` when `dir` has no data/
// folder. Throws ImportError (the message names the folder and the problem).
// Returns the line the scene plays on; `notice` says when that line's earlier
// row no longer shows.
int writeIntoShow(ConvertedScene scene, const ImportOptions& options, const Placement& placement,
                  const std::string& dir, const std::string& program, std::string& notice);

// The line for `qelPath` in the running order `text`. Each line plays the scene
// of its last row only, so a second row on a line hides the first: the line the
// file already plays on, else a line no other row uses (0 first), else
// `requested` or 0 with `notice` naming the row that no longer shows. A
// requested line is kept, with the same notice when another row uses it.
int chooseLine(const std::string& text, const std::string& qelPath, int requested, std::string& notice);

// The running order's text with the rows for `qelPath` replaced by `row`.
std::string replaceRow(const std::string& text, const std::string& qelPath, const std::string& row);

}  // namespace orvane::import
