// The program's entry run inside a test's child process (a death test's): from
// a folder of the test's choosing, with the test's arguments, ending the child
// with the program's exit status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/entry.h"

// Enters `folder` (status 100 when it cannot) and runs orvaneMain with the
// arguments after the program's name; `places` as the installed program would
// find them (none: the working folder as it is).
[[noreturn]] void runProgramIn(const std::filesystem::path& folder, std::vector<std::string> arguments,
                               const ProgramPlaces& places = ProgramPlaces{});
