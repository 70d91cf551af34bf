// CFileWatcher over an in-memory reader: changes are found by content, reported
// once after the content holds still, bursts of saves count once, polls are paced.
#include "app/file_watcher.h"

#include <gtest/gtest.h>

#include <map>

#include "support/temp_dir.h"

namespace {

class FileWatcherTest : public testing::Test {
 protected:
  std::vector<std::string> poll(u32 now) {
    std::vector<std::string> paths;
    for (const CFileWatcher::Change& change : mWatcher.poll(now)) {
      paths.push_back(change.path + "=" + change.content);
    }
    return paths;
  }

  std::map<std::string, std::string> mFiles{{"a.fx", "one"}, {"b.fx", "two"}};
  bool mReadable = true;
  CFileWatcher mWatcher{[this](const std::string& path) -> std::optional<std::string> {
    auto found = mFiles.find(path);
    if (!mReadable || found == mFiles.end()) return std::nullopt;
    return found->second;
  }};
};

}  // namespace

TEST_F(FileWatcherTest, AnUnchangedFileIsNeverReported) {
  mWatcher.watch("a.fx");
  for (u32 now = 0; now < 3000; now += 250) EXPECT_TRUE(poll(now).empty()) << now;
}

TEST_F(FileWatcherTest, AChangeIsReportedOnceAfterItHoldsStill) {
  mWatcher.watch("a.fx");
  mWatcher.watch("b.fx");
  EXPECT_TRUE(poll(0).empty());
  mFiles["a.fx"] = "one, edited";
  EXPECT_TRUE(poll(250).empty()) << "first sight of the new content: wait for it to settle";
  EXPECT_EQ(poll(500), std::vector<std::string>{"a.fx=one, edited"});
  for (u32 now = 750; now < 3000; now += 250) EXPECT_TRUE(poll(now).empty()) << now;
}

TEST_F(FileWatcherTest, ABurstOfSavesCountsOnceWithTheFinalContent) {
  mWatcher.watch("a.fx");
  poll(0);
  mFiles["a.fx"] = "o";
  EXPECT_TRUE(poll(250).empty());
  mFiles["a.fx"] = "on";
  EXPECT_TRUE(poll(500).empty());
  mFiles["a.fx"] = "one!";
  EXPECT_TRUE(poll(750).empty());
  EXPECT_EQ(poll(1000), std::vector<std::string>{"a.fx=one!"});
}

TEST_F(FileWatcherTest, AnEditUndoneBeforeItSettlesIsNoChange) {
  mWatcher.watch("a.fx");
  poll(0);
  mFiles["a.fx"] = "changed";
  poll(250);
  mFiles["a.fx"] = "one";
  for (u32 now = 500; now < 2000; now += 250) EXPECT_TRUE(poll(now).empty()) << now;
}

TEST_F(FileWatcherTest, AFileMissingMidSaveIsWaitedFor) {
  mWatcher.watch("a.fx");
  poll(0);
  mReadable = false;
  mFiles["a.fx"] = "new";
  EXPECT_TRUE(poll(250).empty());
  EXPECT_TRUE(poll(500).empty());
  mReadable = true;
  EXPECT_TRUE(poll(750).empty());
  EXPECT_EQ(poll(1000), std::vector<std::string>{"a.fx=new"});
}

TEST_F(FileWatcherTest, PollsArePacedSoRapidCallsReadNothing) {
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

TEST(FileWatcherHash, DiffersWithContentAndNotWithTime) {
  EXPECT_EQ(CFileWatcher::hash("abc"), CFileWatcher::hash(std::string("abc")));
  EXPECT_NE(CFileWatcher::hash("abc"), CFileWatcher::hash("abd"));
  EXPECT_NE(CFileWatcher::hash(""), CFileWatcher::hash(std::string(1, '\0')));
}

TEST(FileWatcherDisk, ReadsWholeFilesAndReportsARewriteOnlyWhenTheBytesDiffer) {
  TempDir dir;
  const std::string path = dir.write("glow.fx", std::string("float4 a;\0tail", 15));
  EXPECT_EQ(CFileWatcher::readDataFile(path), std::string("float4 a;\0tail", 15));
  EXPECT_FALSE(CFileWatcher::readDataFile(path + ".missing").has_value());

  CFileWatcher watcher;
  watcher.watch(path);
  watcher.poll(0);
  dir.write("glow.fx", std::string("float4 a;\0tail", 15));  // saved again, unchanged
  EXPECT_TRUE(watcher.poll(250).empty());
  EXPECT_TRUE(watcher.poll(500).empty());
  dir.write("glow.fx", "float4 b;");
  EXPECT_TRUE(watcher.poll(750).empty());
  const std::vector<CFileWatcher::Change> changes = watcher.poll(1000);
  ASSERT_EQ(changes.size(), 1u);
  EXPECT_EQ(changes[0].path, path);
  EXPECT_EQ(changes[0].content, "float4 b;");
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

TEST(FileWatcherStamp, DiskStampsFollowRewritesAndMissingFilesHaveNone) {
  TempDir dir;
  const std::string path = dir.write("a.tga", "abc");
  const std::optional<u64> first = CFileWatcher::dataFileStamp(path);
  ASSERT_TRUE(first.has_value());
  dir.write("a.tga", "abcd");
  EXPECT_NE(CFileWatcher::dataFileStamp(path), first) << "the size differs at least";
  EXPECT_FALSE(CFileWatcher::dataFileStamp(path + ".gone").has_value());
}
