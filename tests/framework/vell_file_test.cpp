// Files and streams: opening, sizes, extensions, byte and line reads, stream
// origins, who closes the file, and Windows-style data paths on this host.
#include "framework/vell_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "support/temp_dir.h"

TEST(VellFile, OpensWindowsStylePathsCaseInsensitivelyAndReopensAnother) {
  TempDir dir;
  dir.write("Data/Shader/Effect.FX", "fx");
  const std::string second = dir.write("dir.with.dot/second.MQO", "ab");
  const std::string root = dir.path().string();
  VellFile file;
  EXPECT_FALSE(file.open("data\\no\\such\\file.txt"));
  EXPECT_EQ(file.mFp, nullptr);
  ASSERT_TRUE(file.open((root + "\\data\\shader\\effect.fx").c_str()));
  EXPECT_EQ(file.getPath(), root + "\\data\\shader\\effect.fx");
  EXPECT_EQ(file.getExtension(), "fx");
  ASSERT_TRUE(file.open(second.c_str()));
  VellFileStream stream(&file);
  EXPECT_EQ(stream.getSize(), 2u);
  EXPECT_EQ(stream.getPath(), second);
  EXPECT_EQ(stream.getExtension(), "MQO");
  EXPECT_EQ(stream.getChar(), 'a');
}

TEST(VellFileStream, ReadsBytesAndLinesFromEachOriginAndFindsTheEndAfterARead) {
  TempDir dir;
  VellFile file;
  ASSERT_TRUE(file.open(dir.write("lines.txt", "first line\nsecond").c_str()));
  VellFileStream stream(&file);
  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  ASSERT_NE(stream.getLine(buffer, 1), nullptr);
  EXPECT_EQ(buffer[0], '\0');
  ASSERT_NE(stream.getLine(buffer, sizeof buffer), nullptr);
  EXPECT_STREQ(buffer, "first line\n");
  ASSERT_NE(stream.getLine(buffer, 4), nullptr);
  EXPECT_STREQ(buffer, "sec");
  EXPECT_EQ(stream.seek(1, VellFileStream::SEEK_FROM_CURRENT), 0);
  EXPECT_EQ(stream.getChar(), 'n');
  EXPECT_EQ(stream.seek(-2, VellFileStream::SEEK_FROM_END), 0);
  EXPECT_EQ(stream.getChar(), 'n');
  EXPECT_EQ(stream.seek(0, VellFileStream::SEEK_FROM_BEGIN), 0);
  ASSERT_EQ(stream.read(buffer, 3), 3u);
  EXPECT_EQ(std::string(buffer, 3), "fir");
  EXPECT_EQ(stream.write("z", 1), 0u) << "opened for reading only";

  VellFile empty;
  ASSERT_TRUE(empty.open(dir.write("empty.txt", "").c_str()));
  VellFileStream none(&empty);
  EXPECT_EQ(none.getSize(), 0u);
  EXPECT_TRUE(none.isNotEOF());
  EXPECT_EQ(none.getChar(), -1);
  EXPECT_FALSE(none.isNotEOF());
  EXPECT_FALSE(none.isError());
}

TEST(VellFileStream, DestroyingTheStreamClosesButTheFileObjectDoesNot) {
  TempDir dir;
  const std::string path = dir.write("a.txt", "a");
  VellFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  {
    VellFileStream stream(&file);
    EXPECT_TRUE(stream.isOpen());
  }
  EXPECT_EQ(file.mFp, nullptr);
  { VellFileStream again(&file); }  // already closed: nothing further happens

  FILE* handle = nullptr;
  {
    VellFile owned;
    ASSERT_TRUE(owned.open(path.c_str()));
    handle = owned.mFp;
  }
  EXPECT_NE(fcntl(fileno(handle), F_GETFD), -1);  // still open after ~VellFile
  std::fclose(handle);
}
