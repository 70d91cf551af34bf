// CFileWatcher: notices when the content of watched data files changes, polling
// their bytes every POLL_MILLISECONDS and reporting a change only once the new
// content has held still for SETTLE_MILLISECONDS (editors save in steps). With a
// stamp (size and modification time), a file is only read when its stamp moved,
// so that large pictures are not read whole on every poll. Main thread only.
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
  // A data path's size and modification time folded into one number; nullopt
  // while it cannot be had.
  using Stamp = std::function<std::optional<u64>(const std::string& path)>;
  static std::optional<u64> dataFileStamp(const std::string& path);

  struct Change {
    std::string path;
    std::string content;
  };

  // Without a stamp every watched file is read on every poll.
  explicit CFileWatcher(Reader reader = &CFileWatcher::readDataFile, Stamp stamp = nullptr);

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
    std::optional<u64> stamp;  // at the last read
  };

  Reader mReader;
  Stamp mStamp;
  std::map<std::string, File> mFiles;
  bool mPolled = false;
  u32 mLastPoll = 0;
};
