// Files and streams: opening, sizes, extensions, byte reads, stream origins, the
// fatal checks on closed files, and Windows-style data paths on this host.
#include "framework/vell_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "framework/critical_check.h"
#include "support/fatal_text.h"
#include "support/temp_dir.h"

TEST(VellFile, MissingFileFailsAndStaysClosed) {
  VellFile file;
  EXPECT_FALSE(file.open("data\\no\\such\\file.txt"));
  EXPECT_EQ(file.mFp, nullptr);
  EXPECT_EXIT(file.getPath(), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[mFp + \"file pointer is not available\"]"));
}

TEST(VellFile, ReopeningDescribesTheSecondFile) {
  TempDir dir;
  const std::string first = dir.write("first.qel", "12345");
  const std::string second = dir.write("second.MQO", "ab");
  VellFile file;
  ASSERT_TRUE(file.open(first.c_str()));
  FILE* firstHandle = file.mFp;
  ASSERT_TRUE(file.open(second.c_str()));
  EXPECT_NE(file.mFp, nullptr);
  (void)firstHandle;
  VellFileStream stream(&file);
  EXPECT_EQ(stream.getSize(), 2u);
  EXPECT_EQ(stream.getPath(), second);
  EXPECT_EQ(stream.getExtension(), "MQO");
  EXPECT_EQ(stream.getChar(), 'a');
}

TEST(VellFile, ExtensionComesFromTheLastComponentOnly) {
  TempDir dir;
  const std::string path = dir.write("dir.with.dot/plain", "x");
  VellFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  EXPECT_EQ(file.getExtension(), "");
  file.close();
}

TEST(VellFile, EmptyFileReachesEndOnlyAfterARead) {
  TempDir dir;
  const std::string path = dir.write("empty.txt", "");
  VellFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  VellFileStream stream(&file);
  EXPECT_EQ(stream.getSize(), 0u);
  EXPECT_TRUE(stream.isNotEOF());
  EXPECT_EQ(stream.getChar(), -1);
  EXPECT_FALSE(stream.isNotEOF());
  EXPECT_FALSE(stream.isError());
}

TEST(VellFile, GetLineKeepsTheLineFeedAndHonoursCapacity) {
  TempDir dir;
  const std::string path = dir.write("lines.txt", "first line\nsecond");
  VellFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  VellFileStream stream(&file);
  char buffer[64];
  std::memset(buffer, 'x', sizeof buffer);
  ASSERT_NE(stream.getLine(buffer, 1), nullptr);
  EXPECT_EQ(buffer[0], '\0');
  ASSERT_NE(stream.getLine(buffer, sizeof buffer), nullptr);
  EXPECT_STREQ(buffer, "first line\n");
  ASSERT_NE(stream.getLine(buffer, 4), nullptr);
  EXPECT_STREQ(buffer, "sec");
}

TEST(VellFileStream, OriginsAreTranslated) {
  TempDir dir;
  const std::string path = dir.write("bytes.bin", "0123456789");
  VellFile file;
  ASSERT_TRUE(file.open(path.c_str()));
  VellFileStream stream(&file);
  char bytes[4] = {};
  ASSERT_EQ(stream.read(bytes, 3), 3u);
  EXPECT_EQ(stream.seek(2, VellFileStream::SEEK_FROM_CURRENT), 0);
  EXPECT_EQ(stream.getChar(), '5');
  EXPECT_EQ(stream.seek(-2, VellFileStream::SEEK_FROM_END), 0);
  EXPECT_EQ(stream.getChar(), '8');
  EXPECT_EQ(stream.seek(0, VellFileStream::SEEK_FROM_BEGIN), 0);
  EXPECT_EQ(stream.getChar(), '0');
  EXPECT_EQ(stream.write("z", 1), 0u);  // opened for reading only
  EXPECT_EXIT(stream.seek(0, 3), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[0 + \"default assert.\"]"));
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

TEST(VellFileStreamDeath, StreamWithoutFileIsFatal) {
  VellFileStream stream;
  EXPECT_FALSE(stream.isOpen());
  EXPECT_FALSE(stream.isValid());
  char byte;
  EXPECT_EXIT(stream.read(&byte, 1), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[mpFile + \"VellFile is not available.\"]"));
  EXPECT_EXIT(stream.getPath(), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[mpFile + \"file pointer is not available\"]"));
  VellFile closed;
  VellFileStream onClosed(&closed);
  EXPECT_EXIT(onClosed.getSize(), testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[mFp + \"file pointer is not available\"]"));
}

TEST(VellFile, WindowsStylePathsOpenWithCaseInsensitiveFallback) {
  TempDir dir;
  dir.write("Data/Shader/Effect.FX", "fx");
  const std::string root = dir.path().string();
  VellFile file;
  EXPECT_TRUE(file.open((root + "\\data\\shader\\effect.fx").c_str()));
  EXPECT_EQ(file.getPath(), root + "\\data\\shader\\effect.fx");
  EXPECT_EQ(file.getExtension(), "fx");
  file.close();
  EXPECT_TRUE(file.open((root + "//Data//Shader//Effect.FX").c_str()));
  file.close();
  EXPECT_FALSE(file.open((root + "\\data\\shader\\missing.fx").c_str()));
}
