// The running order's rows.
#include "demo/scene_definitions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <tuple>

#include "support/temp_dir.h"

namespace {

std::vector<SceneDefInfo> parse(const std::string& text, std::string* pMessages = nullptr) {
  std::FILE* file = std::tmpfile();
  std::fputs(text.c_str(), file);
  std::rewind(file);
  testing::internal::CaptureStderr();
  std::vector<SceneDefInfo> infos = readSceneDefinitions(file, "sceneLineDefine.txt");
  const std::string messages = testing::internal::GetCapturedStderr();
  if (pMessages) *pMessages = messages;
  std::fclose(file);
  return infos;
}

}  // namespace

TEST(SceneDefinitions, RowsOnBothLinesWithShadersAndShortCommentedOrBlankRowsSkipped) {
  const auto infos = parse("# file line start end r1 r2 shader\n"
                           "data\\qel\\start.qel\t0 0 0 0 0 default\r\n"
                           "data\\qel\\overlay.qel 1 1500x abc 7 -2 glow extra-column\r\n"
                           "a.qel 0 0 0 0 0\n\n   \na.qel 0 0 #0 0 0 default\n"
                           "data\\a.qel 0 0 0 0 0 glow\r");
  ASSERT_EQ(infos.size(), 3u);
  EXPECT_EQ(std::make_tuple(infos[0].name, infos[0].line, infos[0].shader),
            std::make_tuple(std::string("data\\qel\\start.qel"), 0, std::string("default")));
  EXPECT_EQ(std::make_tuple(infos[1].line, infos[1].windowStart, infos[1].windowEnd, infos[1].reserved1,
                            infos[1].reserved2, infos[1].shader),
            std::make_tuple(1, 1500, 0, 7, -2, std::string("glow")));
  EXPECT_EQ(infos[2].shader, "glow") << "a lone carriage return is no part of the shader";
}

TEST(SceneDefinitions, RowsOnOtherLinesOrNamesLeavingTheDataFolderAreRefusedWithAMessage) {
  TempDir show;
  std::filesystem::create_directories(show.path() / "data");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(show.path());
  std::string messages;
  const auto infos = parse("data\\qel\\good.qel 0 0 0 0 0 default\n"
                           "..\\..\\outside.qel 0 0 0 0 0 default\n"
                           "/etc/passwd 0 0 0 0 0 default\n"
                           "data\\qel\\fine.qel 1 0 0 0 0 ..\\..\\..\\escape\n"
                           "data\\qel\\sub\\..\\other.qel 1 0 0 0 0 glow\n"
                           "b.qel 2 0 0 0 0 default\nc.qel -1 0 0 0 0 default\n",
                           &messages);
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0].name, "data\\qel\\good.qel");
  EXPECT_EQ(infos[1].name, "data\\qel\\sub\\..\\other.qel");
  for (const char* message : {"sceneLineDefine.txt: line 2: the file name \"..\\..\\outside.qel\" leaves the data folder",
                              "line 3: the file name \"/etc/passwd\"", "line 4: the file name \"..\\..\\..\\escape\"",
                              "sceneLineDefine.txt: line 6: scene line 2 is not 0 or 1", "line 7: scene line -1"}) {
    EXPECT_NE(messages.find(message), std::string::npos) << message << "\n" << messages;
  }
  std::filesystem::current_path(previous);
}

TEST(SceneDefinitions, ALongCommentIsOneLineAndAShortRowSaysWhyItIsSkipped) {
  std::string comment = "# ";
  while (comment.size() < 5000) comment += "data\\qel\\x.qel 0 0 0 0 0 default ";
  std::string messages;
  const auto infos = parse(comment + "\ndata\\qel\\real.qel 0 0 0 0 0 default\ndata\\qel\\half.qel 1 0\n", &messages);
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0].name, "data\\qel\\real.qel");
  EXPECT_EQ(infos[0].fileLine, 2u);
  EXPECT_EQ(messages, "sceneLineDefine.txt: line 3: the row has 3 of the 7 columns; row skipped\n");
}
