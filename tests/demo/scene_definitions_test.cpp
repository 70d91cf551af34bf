// The running order's rows.
#include "demo/scene_definitions.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {
std::vector<SceneDefInfo> parse(const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fputs(text.c_str(), file);
  std::rewind(file);
  std::vector<SceneDefInfo> infos = readSceneDefinitions(file, "sceneLineDefine.txt");
  std::fclose(file);
  return infos;
}
}  // namespace

TEST(SceneDefinitions, RowsOnBothLinesWithShaders) {
  const auto infos = parse("# file line start end r1 r2 shader\n"
                           "data\\qel\\start.qel\t0 0 0 0 0 default\n"
                           "data\\qel\\overlay.qel 1 1500x abc 7 -2 glow extra-column\r\n");
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0].name, "data\\qel\\start.qel");
  EXPECT_EQ(infos[0].line, 0);
  EXPECT_EQ(infos[0].shader, "default");
  EXPECT_EQ(infos[1].line, 1);
  EXPECT_EQ(infos[1].windowStart, 1500);
  EXPECT_EQ(infos[1].windowEnd, 0);
  EXPECT_EQ(infos[1].reserved1, 7);
  EXPECT_EQ(infos[1].reserved2, -2);
  EXPECT_EQ(infos[1].shader, "glow");
}

TEST(SceneDefinitions, ShortCommentedAndBlankRowsAreSkipped) {
  const auto infos = parse("a.qel 0 0 0 0 0\n\n   \na.qel 0 0 #0 0 0 default\na.qel 0 0 0 0 0 default\n");
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0].shader, "default");
}

TEST(SceneDefinitions, CarriageReturnAndLineFeedAreRemovedFromTheShader) {
  const auto crlf = parse("a.qel 0 0 0 0 0 default\r\n");
  ASSERT_EQ(crlf.size(), 1u);
  EXPECT_EQ(crlf[0].shader, "default");
  const auto cr = parse("a.qel 0 0 0 0 0 glow\r");
  ASSERT_EQ(cr.size(), 1u);
  EXPECT_EQ(cr[0].shader, "glow");
}

TEST(SceneDefinitions, RowsOnOtherLinesAreReportedAndSkipped) {
  testing::internal::CaptureStderr();
  const auto infos = parse("a.qel 0 0 0 0 0 default\nb.qel 2 0 0 0 0 default\nc.qel -1 0 0 0 0 default\n");
  const std::string messages = testing::internal::GetCapturedStderr();
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_NE(messages.find("sceneLineDefine.txt: line 2: scene line 2 is not 0 or 1"), std::string::npos) << messages;
  EXPECT_NE(messages.find("line 3: scene line -1"), std::string::npos) << messages;
}

TEST(SceneDefinitions, NamesLeavingTheDataFolderAreRefusedWithAMessage) {
  testing::internal::CaptureStderr();
  const auto infos = parse("data\\qel\\good.qel 0 0 0 0 0 default\n"
                           "..\\..\\outside.qel 0 0 0 0 0 default\n"
                           "/etc/passwd 0 0 0 0 0 default\n"
                           "data\\qel\\fine.qel 1 0 0 0 0 ..\\..\\..\\escape\n"
                           "data\\qel\\sub\\..\\other.qel 1 0 0 0 0 glow\n");
  const std::string messages = testing::internal::GetCapturedStderr();
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0].name, "data\\qel\\good.qel");
  EXPECT_EQ(infos[1].name, "data\\qel\\sub\\..\\other.qel");
  EXPECT_NE(messages.find("sceneLineDefine.txt: line 2: the file name \"..\\..\\outside.qel\" leaves the data folder"),
            std::string::npos)
      << messages;
  EXPECT_NE(messages.find("line 3: the file name \"/etc/passwd\""), std::string::npos) << messages;
  EXPECT_NE(messages.find("line 4: the file name \"..\\..\\..\\escape\""), std::string::npos) << messages;
}
