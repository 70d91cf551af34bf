// Where the show's data is found. Every data path ("data\...") is relative to the
// working folder, so the program makes the first folder that holds a "data" folder
// its working folder. Does not: read or check anything below data/.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// The folders an installed, unpacked or freshly built program looks in, in this
// order: next to the program, the install prefix seen from the program
// (<program folder>/../share/orvane, so a moved prefix still works), the prefix it
// was built for, then the working folder. Empty entries and repeats are dropped.
std::vector<std::filesystem::path> dataFolderCandidates(const std::filesystem::path& programFolder,
                                                        const std::filesystem::path& installedFolder,
                                                        const std::filesystem::path& workingFolder);

// The first candidate with a "data" folder inside, or nothing.
std::optional<std::filesystem::path> findDataFolder(const std::vector<std::filesystem::path>& candidates);

// The show folder a maker named (--show DIR, else the ORVANE_SHOW environment
// variable), made absolute; nothing when neither names one. An explicit choice
// replaces the search: a folder without "data" is an error, not a reason to look on.
std::optional<std::filesystem::path> chosenShowFolder(const std::optional<std::string>& option,
                                                      const char* environment);
// Empty when `folder` holds a "data" folder, else the one line that says why not.
std::string showFolderProblem(const std::filesystem::path& folder);

// Whether `folder` is the show the program ships with: beside it, or in its
// install prefix (seen from the program or as built). Any other show is named
// at start-up, so a maker sees which one plays.
bool isShippedShow(const std::filesystem::path& folder, const std::filesystem::path& programFolder,
                   const std::filesystem::path& installedFolder);

// Makes the first candidate with data the working folder; false with `error`
// saying where it looked (or why it could not move there).
bool enterDataFolder(const std::vector<std::filesystem::path>& candidates, std::string& error);
