// CFileWatcher: notices when the content of watched data files changes, polling
// their bytes every POLL_MILLISECONDS and reporting a change only once the new
// content has held still for SETTLE_MILLISECONDS (editors save in steps). Main thread only.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/types.h"

class CFileWatcher {
 public:
  static constexpr u32 POLL_MILLISECONDS = 250;
  static constexpr u32 SETTLE_MILLISECONDS = 250;

  // Reads a data path ("data\shader\x.fx"); nullopt while it cannot be read.
  using Reader = std::function<std::optional<std::string>(const std::string& path)>;
  static std::optional<std::string> readDataFile(const std::string& path);

  struct Change {
    std::string path;
    std::string content;
  };

  explicit CFileWatcher(Reader reader = &CFileWatcher::readDataFile);

  // Starts watching `path` from its present content (a second call does nothing).
  void watch(const std::string& path);
  bool isWatching(const std::string& path) const { return mFiles.count(path) != 0; }
  // The files whose content differs from the last reported one and has been the
  // same on polls at least SETTLE_MILLISECONDS apart; each content change is
  // reported once. Does nothing until POLL_MILLISECONDS after the last poll.
  std::vector<Change> poll(u32 nowMilliseconds);

  static u64 hash(const std::string& content);

 private:
  struct File {
    u64 reported = 0;  // hash of the content last reported (or found at watch)
    bool pending = false;
    u64 pendingHash = 0;
    u32 pendingSince = 0;
  };

  Reader mReader;
  std::map<std::string, File> mFiles;
  bool mPolled = false;
  u32 mLastPoll = 0;
};
