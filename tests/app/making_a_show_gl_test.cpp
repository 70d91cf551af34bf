// The hand-written show of docs/making-a-show.md, taken from the page as it
// stands: its model, Qel file and running order play a red plate facing the
// camera for the two seconds its camera track lasts.
#include "app/entry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "platform/picture_decoder.h"
#include "support/run_program.h"
#include "support/source_dir.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderVariable = "ORVANE_TEST_HAND_SHOW";

std::string readText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Each "<!-- file: PATH -->" of the page and the fenced block after it.
std::vector<std::pair<std::string, std::string>> pageFiles(const std::string& page) {
  std::vector<std::pair<std::string, std::string>> files;
  const std::string marker = "<!-- file: ";
  for (std::size_t at = page.find(marker); at != std::string::npos; at = page.find(marker, at + 1)) {
    const std::size_t nameEnd = page.find(" -->", at);
    const std::size_t open = page.find("```", nameEnd);
    const std::size_t body = page.find('\n', open) + 1;
    const std::size_t close = page.find("\n```", body);
    if (nameEnd == std::string::npos || open == std::string::npos || close == std::string::npos) break;
    files.emplace_back(page.substr(at + marker.size(), nameEnd - at - marker.size()),
                       page.substr(body, close + 1 - body));
  }
  return files;
}

// The page's files plus what every show needs beside them, written once: a
// death-test child plays the folder its parent wrote.
fs::path handShow(std::optional<TempDir>& dir) {
  if (!GTEST_FLAG_GET(internal_run_death_test).empty()) {
    const char* pInherited = std::getenv(kFolderVariable);
    return pInherited ? pInherited : "";
  }
  dir.emplace();
  setenv(kFolderVariable, dir->path().c_str(), 1);
  const fs::path source = orvaneSourceDir();
  for (const auto& [path, text] : pageFiles(readText(source / "docs/making-a-show.md"))) dir->write(path, text);
  const fs::path data = dir->path() / "data";
  fs::create_directories(data / "shader");
  fs::create_directories(data / "texture");
  for (const char* effect : {"core.fx", "defaultShader.fx", "effectSample.fx", "finalScreenShader.fx"})
    fs::copy_file(source / "data/shader" / effect, data / "shader" / effect);
  fs::copy_file(source / "data/texture/defaultTexture.bmp", data / "texture/defaultTexture.bmp");
  fs::create_symlink(source / "data/air.ogg", data / "air.ogg");
  return dir->path();
}

}  // namespace

TEST(MakingAShow, ThePagesHandWrittenShowPlaysItsRedPlateForTwoSeconds) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  ASSERT_EQ(pageFiles(readText(fs::path(orvaneSourceDir()) / "docs/making-a-show.md")).size(), 3u)
      << "the page shows a model, a Qel file and a running order";
  std::optional<TempDir> dir;
  const fs::path show = handShow(dir);
  EXPECT_EXIT(runProgramIn(show, {"--capture", (show / "frames").string(), "--fps", "2", "--size", "320x180"}),
              testing::ExitedWithCode(0), "");
  std::size_t count = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(show / "frames"))
    count += entry.path().extension() == ".png";
  EXPECT_GE(count, 4u) << "the camera's 2 s at 2 frames a second";
  EXPECT_LE(count, 5u);

  const std::string bytes = readText(show / "frames/000001.png");
  platform::DecodedPicture picture;
  std::string error;
  ASSERT_TRUE(platform::decodeAnyPicture(reinterpret_cast<const u8*>(bytes.data()), bytes.size(), picture, error))
      << error;
  auto at = [&](u32 x, u32 y) {
    const std::size_t i = (static_cast<std::size_t>(y) * picture.width + x) * 3;
    return std::array<int, 3>{picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]};
  };
  const std::array<int, 3> centre = at(160, 90);
  EXPECT_GT(centre[0], 80) << "the plate faces the camera: its front is drawn";
  EXPECT_GT(centre[0], centre[1] + 40);
  EXPECT_GT(centre[0], centre[2] + 40);
  // 3 units wide at 5 units under a 30 degree 16:9 view: about 2/3 of the width.
  const std::array<int, 3> outside = at(10, 90);
  EXPECT_LT(outside[0], centre[0] / 2) << "the plate ends inside the picture";
}
