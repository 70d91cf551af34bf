// The program's life: options, capability probe, dialog, window, services, the
// main loop and the shutdown order. Returns the process exit status.
#pragma once

#include <filesystem>
#include <vector>

// Plays with the data below the working folder, as it is (unless --show or
// ORVANE_SHOW names another show).
int orvaneMain(int argc, char** argv);
// Where the program runs from and the prefix it was built for.
struct ProgramPlaces {
  std::filesystem::path programFolder;
  std::filesystem::path installedFolder;
  std::filesystem::path workingFolder;
};
// First makes the show folder the working folder (after the options are read, so
// relative paths in them keep their meaning): the one --show or ORVANE_SHOW names
// (status 2 when it holds no data folder), else the first of the places that
// holds a "data" folder (status 1 with none, saying where it looked).
int orvaneMain(int argc, char** argv, const ProgramPlaces& places);
