// Putting a converted scene into a show folder: a new show when the folder holds
// none, the model's folder and Qel file swapped in whole, and the running-order
// row; everything is staged beside its place first, so a failure leaves the show as it was.
#pragma once

#include <string>

#include "import/scene_convert.h"

namespace orvane::import {

struct Placement {
  int line = 0;
  double at = 0;  // seconds into the show
};

// Runs `orvane-new-show` from the folder of `program` when `dir` has no data/
// folder. Throws ImportError (the message names the folder and the problem).
void writeIntoShow(ConvertedScene scene, const ImportOptions& options, const Placement& placement,
                   const std::string& dir, const std::string& program);

// The running order's text with the rows for `qelPath` replaced by `row`.
std::string replaceRow(const std::string& text, const std::string& qelPath, const std::string& row);

}  // namespace orvane::import
