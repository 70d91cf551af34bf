// Content polling with a settle time: a file is read whole on each poll and its
// FNV-1a hash compared, so a touch without an edit never counts as a change.
#include "app/file_watcher.h"

#include <sys/stat.h>

#include "framework/shell_path.h"
#include "framework/vell_file.h"

std::optional<std::string> CFileWatcher::readDataFile(const std::string& path) {
  VellFile file;
  if (!file.open(path.c_str())) return std::nullopt;
  std::string content(file.mSize, '\0');
  const u64 read = content.empty() ? 0 : file.read(content.data(), content.size());
  file.close();
  content.resize(static_cast<std::size_t>(read));
  return content;
}

std::optional<u64> CFileWatcher::dataFileStamp(const std::string& path) {
  struct stat info {};
  if (::stat(paths::hostPath(path).c_str(), &info) != 0) return std::nullopt;
  const u64 nanoseconds = static_cast<u64>(info.st_mtim.tv_sec) * 1000000000ull + static_cast<u64>(info.st_mtim.tv_nsec);
  return nanoseconds * 1099511628211ull ^ static_cast<u64>(info.st_size);
}

CFileWatcher::CFileWatcher(Reader reader, Stamp stamp) : mReader(std::move(reader)), mStamp(std::move(stamp)) {}

u64 CFileWatcher::hash(const std::string& content) {
  u64 value = 14695981039346656037ull;
  for (const char c : content) {
    value ^= static_cast<u8>(c);
    value *= 1099511628211ull;
  }
  return value;
}

void CFileWatcher::watch(const std::string& path) {
  if (mFiles.count(path)) return;
  File file;
  if (mStamp) file.stamp = mStamp(path);
  const std::optional<std::string> content = mReader(path);
  file.reported = content ? hash(*content) : 0;
  mFiles.emplace(path, file);
}

std::vector<CFileWatcher::Change> CFileWatcher::poll(u32 now) {
  std::vector<Change> changes;
  if (mPolled && now - mLastPoll < POLL_MILLISECONDS) return changes;
  mPolled = true;
  mLastPoll = now;
  for (auto& [path, file] : mFiles) {
    if (mStamp) {
      const std::optional<u64> stamp = mStamp(path);
      if (!file.pending && stamp && stamp == file.stamp) continue;
      file.stamp = stamp;
    }
    std::optional<std::string> content = mReader(path);
    if (!content) continue;  // mid-save or removed: wait for it to come back
    const u64 value = hash(*content);
    if (value == file.reported) {
      file.pending = false;
      continue;
    }
    if (!file.pending || value != file.pendingHash) {
      file.pending = true;
      file.pendingHash = value;
      file.pendingSince = now;
      continue;
    }
    if (now - file.pendingSince >= SETTLE_MILLISECONDS) {
      file.reported = value;
      file.pending = false;
      changes.push_back({path, std::move(*content)});
    }
  }
  return changes;
}
