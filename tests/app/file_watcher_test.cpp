// CFileWatcher over an in-memory reader: changes are found by content, reported
// once after the content holds still, bursts of saves count once, polls are paced.
#include "app/file_watcher.h"

#include <gtest/gtest.h>

#include <map>

#include "support/temp_dir.h"

namespace {

// One poll of a scenario: the file's content before it (nullopt: unreadable, as
// mid-save) and what the poll reports ("" for nothing).
struct Poll {
  std::optional<std::string> content;
  std::string reported;
};

}  // namespace

TEST(FileWatcher, AChangeIsReportedOnceWithItsFinalContentAfterItHoldsStill) {
  const std::vector<std::pair<const char*, std::vector<Poll>>> scenarios = {
      {"unchanged", {{"one", ""}, {"one", ""}, {"one", ""}, {"one", ""}}},
      {"one edit", {{"one", ""}, {"edited", ""}, {"edited", "edited"}, {"edited", ""}, {"edited", ""}}},
      {"a burst", {{"one", ""}, {"o", ""}, {"on", ""}, {"one!", ""}, {"one!", "one!"}, {"one!", ""}}},
      {"undone", {{"one", ""}, {"changed", ""}, {"one", ""}, {"one", ""}, {"one", ""}}},
      {"mid-save", {{"one", ""}, {std::nullopt, ""}, {std::nullopt, ""}, {"new", ""}, {"new", "new"}}},
  };
  for (const auto& [name, polls] : scenarios) {
    std::optional<std::string> content = "one";
    CFileWatcher watcher([&](const std::string&) { return content; });
    watcher.watch("a.fx");
    u32 now = 0;
    for (const Poll& poll : polls) {
      content = poll.content;
      std::string reported;
      for (const CFileWatcher::Change& change : watcher.poll(now)) reported += change.path + "=" + change.content;
      EXPECT_EQ(reported, poll.reported.empty() ? "" : "a.fx=" + poll.reported) << name << " at " << now;
      now += 250;
    }
  }
}

TEST(FileWatcher, PollsArePacedSoRapidCallsReadNothing) {
  int reads = 0;
  CFileWatcher watcher([&reads](const std::string&) -> std::optional<std::string> {
    ++reads;
    return std::string("x");
  });
  watcher.watch("a.fx");
  EXPECT_EQ(reads, 1);
  watcher.poll(1000);
  EXPECT_EQ(reads, 2);
  for (u32 now = 1001; now < 1250; now += 16) watcher.poll(now);
  EXPECT_EQ(reads, 2);
  watcher.poll(1250);
  EXPECT_EQ(reads, 3);
}

TEST(FileWatcherStamp, AFileIsOnlyReadWhenItsStampMovedAndThenUntilItSettles) {
  std::string content = "one";
  u64 stamp = 1;
  int reads = 0;
  CFileWatcher watcher(
      [&](const std::string&) -> std::optional<std::string> {
        ++reads;
        return content;
      },
      [&](const std::string&) -> std::optional<u64> { return stamp; });
  watcher.watch("big.hdr");
  const int afterWatch = reads;
  for (u32 now = 0; now < 2000; now += 250) EXPECT_TRUE(watcher.poll(now).empty());
  EXPECT_EQ(reads, afterWatch) << "an unchanged stamp is not read";
  content = "two";
  stamp = 2;
  EXPECT_TRUE(watcher.poll(2000).empty());
  EXPECT_EQ(watcher.poll(2250).size(), 1u) << "read again while pending, though the stamp held";
  const int afterChange = reads;
  EXPECT_TRUE(watcher.poll(2500).empty());
  EXPECT_EQ(reads, afterChange);
}

TEST(FileWatcherDisk, ReadsWholeFilesStampsFollowRewritesAndOnlyDifferentBytesAreReported) {
  TempDir dir;
  const std::string bytes("float4 a;\0tail", 15);
  const std::string path = dir.write("glow.fx", bytes);
  EXPECT_EQ(CFileWatcher::readDataFile(path), bytes);
  EXPECT_FALSE(CFileWatcher::readDataFile(path + ".missing").has_value());
  EXPECT_FALSE(CFileWatcher::dataFileStamp(path + ".missing").has_value());
  const std::optional<u64> first = CFileWatcher::dataFileStamp(path);
  ASSERT_TRUE(first.has_value());
  CFileWatcher watcher;
  watcher.watch(path);
  watcher.poll(0);
  dir.write("glow.fx", bytes);  // saved again, unchanged
  EXPECT_TRUE(watcher.poll(250).empty());
  EXPECT_TRUE(watcher.poll(500).empty());
  dir.write("glow.fx", "float4 b;");
  EXPECT_NE(CFileWatcher::dataFileStamp(path), first) << "the size differs at least";
  EXPECT_TRUE(watcher.poll(750).empty());
  const std::vector<CFileWatcher::Change> changes = watcher.poll(1000);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(std::make_pair(changes[0].path, changes[0].content), std::make_pair(path, std::string("float4 b;")));
}
