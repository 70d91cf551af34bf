// The whole program on the small test show under tests/data: captured frames show
// each line's scene at its times (line shader, play window, screen-fixed and
// invisible objects, the post-effect table), and the start-up order's stops.
#include "support/source_dir.h"
#include "app/entry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "framework/critical_check.h"
#include "platform/picture_decoder.h"
#include "support/fatal_text.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kSource = orvaneSourceDir();
constexpr const char* kFolderVariable = "ORVANE_TEST_SHOW_FOLDER";

// A death-test child runs its test again from the start in a fresh process; it
// must play the folder its parent prepared and will read back.
bool inDeathTestChild() { return !GTEST_FLAG_GET(internal_run_death_test).empty(); }

// A folder holding the test show plus the fixed effects, the default texture and
// the music of the real data folder: what the program needs below its working folder.
class ShowFolder {
 public:
  ShowFolder() {
    if (inDeathTestChild()) {
      const char* pInherited = std::getenv(kFolderVariable);
      mRoot = pInherited ? pInherited : "";
      return;
    }
    mDir.emplace();
    mRoot = mDir->path();
    setenv(kFolderVariable, mRoot.c_str(), 1);
    fs::copy(kSource / "tests/data/data", data(), fs::copy_options::recursive);
    for (const char* effect : {"finalScreenShader.fx", "effectSample.fx", "core.fx", "defaultShader.fx"}) {
      fs::copy_file(kSource / "data/shader" / effect, data() / "shader" / effect);
    }
    fs::create_directories(data() / "texture");
    fs::copy_file(kSource / "data/texture/defaultTexture.bmp", data() / "texture/defaultTexture.bmp");
    fs::create_symlink(kSource / "data/air.ogg", data() / "air.ogg");
  }
  ~ShowFolder() { unsetenv(kFolderVariable); }
  fs::path root() const { return mRoot; }
  fs::path data() const { return mRoot / "data"; }
  fs::path frames() const { return mRoot / "frames"; }
  void writeDefinition(const char* name, const std::string& text) const {
    std::ofstream(data() / "definition" / name, std::ios::binary) << text;
  }

 private:
  std::optional<TempDir> mDir;  // only in the process that prepared the folder
  fs::path mRoot;
};

// Runs the program in the show folder, as a separate process would, and exits with its status.
[[noreturn]] void runProgram(const fs::path& folder, std::vector<std::string> arguments) {
  if (chdir(folder.c_str()) != 0) std::exit(100);
  arguments.insert(arguments.begin(), "orvane");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::exit(orvaneMain(static_cast<int>(arguments.size()), argv.data()));
}

std::vector<std::string> captureArguments(const fs::path& frames, const char* start, const char* count) {
  return {"--capture", frames.string(), "--fps", "2", "--size", "320x180", "--start", start, "--frames", count};
}

struct Frame {
  platform::DecodedPicture picture;
  bool ok = false;
  std::array<int, 3> at(u32 x, u32 y) const {  // y counted from the top
    const std::size_t i = (static_cast<std::size_t>(y) * picture.width + x) * 3;
    return {picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]};
  }
};

Frame readFrame(const fs::path& path) {
  Frame frame;
  std::ifstream file(path, std::ios::binary);
  const std::vector<u8> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::string error;
  frame.ok = !bytes.empty() && platform::decodeAnyPicture(bytes.data(), bytes.size(), frame.picture, error);
  return frame;
}

// Each channel near full (1) or near zero (0).
testing::AssertionResult looksLike(const std::array<int, 3>& pixel, std::array<int, 3> expected) {
  for (int c = 0; c < 3; ++c) {
    if (expected[c] ? pixel[c] < 200 : pixel[c] > 60) {
      return testing::AssertionFailure() << "pixel (" << pixel[0] << ", " << pixel[1] << ", " << pixel[2]
                                         << ") is not (" << expected[0] * 255 << ", " << expected[1] * 255 << ", "
                                         << expected[2] * 255 << ")";
    }
  }
  return testing::AssertionSuccess();
}

// The centre shows line 0's plate; the spot above it shows line 1's screen-fixed plate.
constexpr u32 kCentreX = 160, kCentreY = 90, kSpotY = 40;

class Program : public testing::Test {
 protected:
  // The program starts GL in a process of its own: a forked copy of a process
  // that already ran llvmpipe cannot draw.
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

}  // namespace

TEST_F(Program, TestShowShowsEachLineAtItsTimes) {
  ShowFolder show;
  EXPECT_EXIT(runProgram(show.root(), captureArguments(show.frames(), "0.5", "7")), testing::ExitedWithCode(0), "");
  // Frames at 0.5, 1.0, ... 3.5 s.
  std::vector<Frame> frames;
  for (int i = 0; i < 7; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "%06d.png", i);
    frames.push_back(readFrame(show.frames() / name));
    ASSERT_TRUE(frames.back().ok) << name;
    ASSERT_EQ(frames.back().picture.width, 320u);
  }
  // 0.5 s: scene "first" in red; line 1 is before its play window.
  EXPECT_TRUE(looksLike(frames[0].at(kCentreX, kCentreY), {1, 0, 0}));
  EXPECT_TRUE(looksLike(frames[0].at(kCentreX, kSpotY), {1, 0, 0}));
  // 1.0 s: the first millisecond of line 1's window already shows its plate.
  EXPECT_TRUE(looksLike(frames[1].at(kCentreX, kSpotY), {1, 0, 1}));
  // 1.5 s: line 1's plate, blue by its line shader, screen-blended over the red.
  EXPECT_TRUE(looksLike(frames[2].at(kCentreX, kCentreY), {1, 0, 0}));
  EXPECT_TRUE(looksLike(frames[2].at(kCentreX, kSpotY), {1, 0, 1}));
  EXPECT_TRUE(looksLike(frames[2].at(20, kSpotY), {1, 0, 0}));
  // 2.5 s: scene "second" in green, the blue plate over it.
  EXPECT_TRUE(looksLike(frames[4].at(kCentreX, kCentreY), {0, 1, 0}));
  EXPECT_TRUE(looksLike(frames[4].at(kCentreX, kSpotY), {0, 1, 1}));
  // 3.0 s: the last millisecond of the window and the first of the post effect:
  // green under blue is cyan, and its negative red.
  EXPECT_TRUE(looksLike(frames[5].at(kCentreX, kSpotY), {1, 0, 0}));
  EXPECT_TRUE(looksLike(frames[5].at(kCentreX, kCentreY), {1, 0, 1}));
  // 3.5 s: line 1 is past its window; the post effect turns green into magenta.
  EXPECT_TRUE(looksLike(frames[6].at(kCentreX, kCentreY), {1, 0, 1}));
  EXPECT_TRUE(looksLike(frames[6].at(kCentreX, kSpotY), {1, 0, 1}));
}

TEST_F(Program, MissingPostEffectTableStillRunsTheShow) {
  ShowFolder show;
  fs::remove(show.data() / "definition/postEffectDefine.txt");
  EXPECT_EXIT(runProgram(show.root(), captureArguments(show.frames(), "3.5", "1")), testing::ExitedWithCode(0), "");
  const Frame frame = readFrame(show.frames() / "000000.png");
  ASSERT_TRUE(frame.ok);
  EXPECT_TRUE(looksLike(frame.at(kCentreX, kCentreY), {0, 1, 0}));  // the default effect: not inverted
}

TEST_F(Program, ShaderNamedDefaultInAnotherCaseIsLoadedAsAnEffect) {
  ShowFolder show;
  show.writeDefinition("sceneLineDefine.txt",
                       "data\\qel\\lineA.qel\t0\t0\t0\t0\t0\tdefault\ndata\\qel\\lineB.qel\t1\t0\t0\t0\t0\tDefault\n");
  EXPECT_EXIT(runProgram(show.root(), captureArguments(show.frames(), "0", "1")),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("Critical error:[pShader + \"invalid shader.\"]"));
}

TEST_F(Program, WithoutARunningOrderTheShowEndsAtOnce) {
  ShowFolder show;
  fs::remove(show.data() / "definition/sceneLineDefine.txt");
  EXPECT_EXIT(runProgram(show.root(), captureArguments(show.frames(), "0", "5")), testing::ExitedWithCode(0), "");
}

TEST_F(Program, AStartPastTheEndOfTheShowIsRefusedWithStatusTwo) {
  ShowFolder show;
  // The test show ends at 4 s; its music lasts much longer, so only the show's
  // length can tell.
  EXPECT_EXIT(runProgram(show.root(), captureArguments(show.frames(), "9", "1")), testing::ExitedWithCode(2),
              "orvane: --start 9 is past the end of the show \\(4.000 s\\)\n$");
  EXPECT_FALSE(fs::exists(show.frames() / "000000.png")) << "nothing was captured";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EXIT(runProgram(show.root(), {"--no-dialog", "--windowed", "160x90", "--start", "500"}),
              testing::ExitedWithCode(2), "past the end of the show");
  EXPECT_EXIT(runProgram(show.root(), {"--no-dialog", "--windowed", "160x90", "--start", "4"}),
              testing::ExitedWithCode(0), "")
      << "the show's last millisecond is still a valid start";
}

TEST_F(Program, AFullScreenModeTheDisplayLacksEndsWithAClearMessage) {
  ShowFolder show;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EXIT(runProgram(show.root(), {"--no-dialog", "--fullscreen", "1001x601"}), testing::ExitedWithCode(1),
              "Could not open a 1001x601 full-screen window .*the display offers no 1001x601 mode");
}

TEST_F(Program, TheShippedShowEndsByItselfWhenItsMusicHasPlayedOut) {
  // The real data folder, music and running order, on SDL's silent driver; a
  // show that never ends is stopped by the alarm and fails the test.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EXIT(
      {
        alarm(120);
        runProgram(kSource, {"--no-dialog", "--windowed", "160x90", "--start", "190.5"});
      },
      testing::ExitedWithCode(0), "");
}
