// The program's life: options, capability probe, dialog, window, services, the
// main loop and the shutdown order. Returns the process exit status.
#pragma once

#include <filesystem>
#include <vector>

// Plays with the data below the working folder, as it is.
int orvaneMain(int argc, char** argv);
// First makes the first of dataFolders that holds a "data" folder the working
// folder (after the options are read, so relative paths in them keep their
// meaning); with none, says where it looked and returns 1.
int orvaneMain(int argc, char** argv, const std::vector<std::filesystem::path>& dataFolders);
