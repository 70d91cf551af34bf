// The whole program on the small test show under tests/data: captured frames show
// each line's scene at its times (line shader, play window, screen-fixed and
// invisible objects, the post-effect table), captures repeat byte for byte, other
// screen storages give the same picture, and the start-up order's stops.
#include "app/entry.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/critical_check.h"
#include "platform/picture_decoder.h"
#include "screen/power_of_two.h"
#include "support/fatal_text.h"
#include "support/inherited_folder.h"
#include "support/run_program.h"
#include "support/show_folder.h"
#include "support/sound_fixtures.h"
#include "support/source_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderVariable = "ORVANE_TEST_SHOW_FOLDER";

// The test show in a folder of its own, which death-test children play too.
class TestShow {
 public:
  TestShow() {
    if (mFolder.isNew()) writeTestShow(mFolder.path());
  }
  fs::path root() const { return mFolder.path(); }
  fs::path data() const { return root() / "data"; }
  fs::path frames() const { return root() / "frames"; }

 private:
  InheritedFolder mFolder{kFolderVariable};
};

std::vector<std::string> captureArguments(const fs::path& frames, const char* start, const char* count) {
  return {"--capture", frames.string(), "--fps", "2", "--size", "320x180", "--start", start, "--frames", count};
}

std::vector<u8> readBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string frameName(int index) {
  char name[16];
  std::snprintf(name, sizeof name, "%06d.png", index);
  return name;
}

struct Frame {
  explicit Frame(const fs::path& path) {
    const std::vector<u8> bytes = readBytes(path);
    std::string error;
    ok = !bytes.empty() && platform::decodeAnyPicture(bytes.data(), bytes.size(), picture, error);
  }
  std::array<int, 3> at(u32 x, u32 y) const {  // y counted from the top
    const std::size_t i = (static_cast<std::size_t>(y) * picture.width + x) * 3;
    return {picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]};
  }
  platform::DecodedPicture picture;
  bool ok = false;
};

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

// The largest channel difference between two pictures of one size, and how many
// pixels of the first are lit.
struct Comparison {
  int worst = 256;
  std::size_t lit = 0;
};
Comparison compare(const Frame& a, const Frame& b) {
  Comparison result;
  if (!a.ok || !b.ok || a.picture.width != b.picture.width || a.picture.height != b.picture.height) return result;
  result.worst = 0;
  for (std::size_t i = 0; i < a.picture.rgb.size(); ++i) {
    result.worst = std::max(result.worst, std::abs(a.picture.rgb[i] - b.picture.rgb[i]));
    if (i % 3 == 0 && a.picture.rgb[i] + a.picture.rgb[i + 1] + a.picture.rgb[i + 2] > 90) ++result.lit;
  }
  return result;
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
  TestShow show;
  EXPECT_EXIT(runProgramIn(show.root(), captureArguments(show.frames(), "0.5", "7")), testing::ExitedWithCode(0), "");
  // Frames at 0.5, 1.0, ... 3.5 s.
  std::vector<Frame> frames;
  for (int i = 0; i < 7; ++i) {
    frames.emplace_back(show.frames() / frameName(i));
    ASSERT_TRUE(frames.back().ok) << i;
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

TEST_F(Program, CapturesRepeatByteForByteAndOtherScreenStoragesShowTheSamePicture) {
  TestShow show;
  // Three frames (1.5 to 2.5 s) with both lines, blending and a line shader.
  const auto capture = [&](const char* folder, bool powerOfTwo, bool lowQuality) {
    std::vector<std::string> arguments = captureArguments(show.root() / folder, "1.5", "3");
    if (lowQuality) arguments.push_back("--low-quality");
    EXPECT_EXIT(
        {
          if (powerOfTwo) overrideNonPowerOfTwoTextures(false);
          runProgramIn(show.root(), arguments);
        },
        testing::ExitedWithCode(0), "")
        << folder;
  };
  capture("first", false, false);
  capture("again", false, false);
  capture("powerOfTwo", true, false);
  capture("lowQuality", false, true);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(frameName(i));
    const std::vector<u8> first = readBytes(show.root() / "first" / frameName(i));
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, readBytes(show.root() / "again" / frameName(i))) << "the same frames, other bytes";
    const Frame normal = Frame(show.root() / "first" / frameName(i));
    for (const char* other : {"powerOfTwo", "lowQuality"}) {
      const Comparison comparison = compare(normal, Frame(show.root() / other / frameName(i)));
      EXPECT_LE(comparison.worst, 8) << other;
      EXPECT_GT(comparison.lit, 320u * 180u / 2) << other << ": the picture is mostly dark";
    }
  }
  EXPECT_EQ(readBytes(show.root() / "first" / "audio.wav"), readBytes(show.root() / "again" / "audio.wav"));
}

TEST_F(Program, AMissingPostEffectTableStillRunsTheShowAndAMissingRunningOrderEndsItAtOnce) {
  TestShow show;
  fs::remove(show.data() / "definition/postEffectDefine.txt");
  EXPECT_EXIT(runProgramIn(show.root(), captureArguments(show.frames(), "3.5", "1")), testing::ExitedWithCode(0), "");
  const Frame frame(show.frames() / "000000.png");
  ASSERT_TRUE(frame.ok);
  EXPECT_TRUE(looksLike(frame.at(kCentreX, kCentreY), {0, 1, 0}));  // the default effect: not inverted
  fs::remove(show.data() / "definition/sceneLineDefine.txt");
  EXPECT_EXIT(runProgramIn(show.root(), captureArguments(show.frames(), "0", "5")), testing::ExitedWithCode(0), "");
}

TEST_F(Program, ShaderNamedDefaultInAnotherCaseIsLoadedAsAnEffect) {
  TestShow show;
  std::ofstream(show.data() / "definition/sceneLineDefine.txt", std::ios::binary)
      << "data\\qel\\lineA.qel\t0\t0\t0\t0\t0\tdefault\ndata\\qel\\lineB.qel\t1\t0\t0\t0\t0\tDefault\n";
  EXPECT_EXIT(runProgramIn(show.root(), captureArguments(show.frames(), "0", "1")),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("sceneLineDefine.txt: line 2: the line effect data\\shader\\Default.fx cannot be loaded: "
                             "it is not found\nCritical error:[pShader + \"invalid shader.\"]"));
}

TEST_F(Program, AMissingDefaultEffectIsNamedBeforeTheFatalText) {
  TestShow show;
  fs::remove(show.data() / "shader/effectSample.fx");
  EXPECT_EXIT(runProgramIn(show.root(), captureArguments(show.frames(), "0", "1")),
              testing::ExitedWithCode(vell::kFatalExitStatus),
              literalPattern("data\\shader\\effectSample.fx: the default effect, which draws the picture when no "
                             "post effect runs, cannot be loaded: it is not found\nCritical error:[pShader + \"\"]"));
}

TEST_F(Program, AStartPastTheEndOfTheShowIsRefusedWithStatusTwo) {
  TestShow show;
  // The test show ends at 4 s; its music lasts much longer, so only the show's
  // length can tell.
  EXPECT_EXIT(runProgramIn(show.root(), captureArguments(show.frames(), "9", "1")), testing::ExitedWithCode(2),
              "orvane: --start 9 is past the end of the show \\(4.000 s\\)\n$");
  EXPECT_FALSE(fs::exists(show.frames() / "000000.png")) << "nothing was captured";
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EXIT(runProgramIn(show.root(), {"--no-dialog", "--windowed", "160x90", "--start", "500"}),
              testing::ExitedWithCode(2), "past the end of the show");
  EXPECT_EXIT(runProgramIn(show.root(), {"--no-dialog", "--windowed", "160x90", "--start", "4"}),
              testing::ExitedWithCode(0), "")
      << "the show's last millisecond is still a valid start";
}

// Runs the installed-style program, whose own show is the checkout's, from `folder`.
[[noreturn]] void runProgramBesideTheShippedShow(const fs::path& folder, std::vector<std::string> arguments) {
  runProgramIn(folder, std::move(arguments), ProgramPlaces{orvaneSourceDir(), "", orvaneSourceDir()});
}

TEST_F(Program, AShowNamedByOptionOrEnvironmentPlaysInsteadOfTheOneBesideTheProgram) {
  TestShow show;
  const fs::path elsewhere = show.root() / "elsewhere";
  fs::create_directories(elsewhere);
  // At 0.5 s the test show is red all over; the shipped show is not.
  auto capturedRed = [&](const char* folder) {
    const Frame frame(show.root() / folder / "000000.png");
    return frame.ok && looksLike(frame.at(kCentreX, kCentreY), {1, 0, 0}) &&
           looksLike(frame.at(kCentreX, kSpotY), {1, 0, 0});
  };
  std::vector<std::string> arguments = captureArguments(show.root() / "named", "0.5", "1");
  arguments.insert(arguments.end(), {"--show", "../"});
  EXPECT_EXIT(runProgramBesideTheShippedShow(elsewhere, arguments), testing::ExitedWithCode(0),
              "orvane: playing the show in " + show.root().string());
  EXPECT_TRUE(capturedRed("named"));

  EXPECT_EXIT(
      {
        setenv("ORVANE_SHOW", show.root().c_str(), 1);
        runProgramBesideTheShippedShow(elsewhere, captureArguments(show.root() / "variable", "0.5", "1"));
      },
      testing::ExitedWithCode(0), "playing the show in");
  EXPECT_TRUE(capturedRed("variable"));

  EXPECT_EXIT(
      {
        setenv("ORVANE_SHOW", show.root().c_str(), 1);
        runProgramBesideTheShippedShow(elsewhere, {"--show", elsewhere.string(), "--capture", "x", "--frames", "1"});
      },
      testing::ExitedWithCode(2), "orvane: " + elsewhere.string() + " holds no data folder")
      << "the option wins over the variable, and a folder without data/ is not searched past";
  EXPECT_FALSE(fs::exists(elsewhere / "x"));
}

TEST_F(Program, AStartPastTheMusicIsRefusedBeforeAnythingLoadsAndALongerRunningOrderIsReported) {
  TestShow show;
  if (GTEST_FLAG_GET(internal_run_death_test).empty()) {
    // 2.5 s of music under the test show's 4 s running order.
    fs::remove(show.data() / "air.ogg");
    const std::vector<u8> wave = soundtest::makeWave(soundtest::patternPcm(44100 * 5 / 2));
    std::ofstream(show.data() / "air.ogg", std::ios::binary).write(reinterpret_cast<const char*>(wave.data()),
                                                                   static_cast<std::streamsize>(wave.size()));
  }
  // No display can open: only a refusal before the window is made ends with status 2.
  EXPECT_EXIT(
      {
        setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
        runProgramIn(show.root(), captureArguments(show.frames(), "3", "1"));
      },
      testing::ExitedWithCode(2),
      "orvane: --start 3 is past the end of the show: data/air.ogg ends at 0:02 \\(2.500 s\\)");
  EXPECT_EXIT(runProgramIn(show.root(), captureArguments(show.frames(), "0.5", "1")), testing::ExitedWithCode(0),
              "orvane: the running order runs to 0:04 but data/air.ogg ends at 0:02");
  EXPECT_TRUE(fs::exists(show.frames() / "000000.png")) << "a longer running order is reported, not refused";
}

TEST_F(Program, TheFrameCountIsTheNumberOfFramesACaptureOfTheSameRunWrites) {
  TestShow show;
  const auto count = [&](const char* fps, const char* start) {
    const fs::path printed = show.root() / (std::string("count-") + fps + "-" + start + ".txt");
    EXPECT_EXIT(
        {
          if (!std::freopen(printed.c_str(), "w", stdout)) std::exit(101);
          runProgramIn(show.root(), {"--frame-count", "--fps", fps, "--start", start, "--size", "160x90"});
        },
        testing::ExitedWithCode(0), "");
    std::ifstream file(printed);
    long frames = -1;
    file >> frames;
    return frames;
  };
  const auto captured = [&](const char* fps, const char* start) {
    const fs::path frames = show.root() / (std::string("frames-") + fps + "-" + start);
    EXPECT_EXIT(runProgramIn(show.root(), {"--capture", frames.string(), "--fps", fps, "--start", start, "--size",
                                         "160x90"}),
                testing::ExitedWithCode(0), "");
    long written = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(frames)) written += entry.path().extension() == ".png";
    return written;
  };
  // The test show ends at 4 s: both ends count.
  EXPECT_EQ(count("2", "0"), 9);
  EXPECT_EQ(count("2", "0"), captured("2", "0"));
  EXPECT_EQ(count("3", "0.5"), captured("3", "0.5")) << "a step that does not divide a second";
}

TEST_F(Program, AFullScreenModeTheDisplayLacksEndsWithAClearMessage) {
  TestShow show;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EXIT(runProgramIn(show.root(), {"--no-dialog", "--fullscreen", "1001x601"}), testing::ExitedWithCode(1),
              "Could not open a 1001x601 full-screen window .*the display offers no 1001x601 mode");
}

TEST_F(Program, TheShippedShowEndsByItselfWhenItsMusicHasPlayedOut) {
  // The real data folder, music and running order, on SDL's silent driver; a
  // show that never ends is stopped by the alarm and fails the test.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_EXIT(
      {
        alarm(120);
        runProgramIn(orvaneSourceDir(), {"--no-dialog", "--windowed", "160x90", "--start", "190.5"});
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(Program, WithoutADisplayAShowOnScreenSaysSoAtOnceWhileACaptureStillRuns) {
  TestShow show;
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  const auto withoutDisplay = [] {
    alarm(20);  // the dialog on an invisible window once waited for ever
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
  };
  const char* said =
      "^orvane: no display \\(DISPLAY and WAYLAND_DISPLAY are not set\\); "
      "to render without one use --capture DIR or --bench\n$";
  EXPECT_EXIT(
      {
        withoutDisplay();
        runProgramIn(show.root(), {});
      },
      testing::ExitedWithCode(2), said);
  EXPECT_EXIT(
      {
        withoutDisplay();
        runProgramIn(show.root(), {"--no-dialog", "--windowed", "320x180"});
      },
      testing::ExitedWithCode(2), said);
  EXPECT_EXIT(
      {
        withoutDisplay();
        runProgramIn(show.root(), captureArguments(show.frames(), "0.5", "1"));
      },
      testing::ExitedWithCode(0), "");
  EXPECT_TRUE(fs::exists(show.frames() / "000000.png"));
}

TEST_F(Program, AnEffectAModelNamesFromItsFolderAndTheTableFromTheShaderFolderIsOneEffect) {
  TestShow show;
  // The model reaches the table's invert.fx through its own folder.
  const fs::path model = show.data() / "qel/red.mqo";
  std::string text;
  {
    const std::vector<u8> bytes = readBytes(model);
    text.assign(bytes.begin(), bytes.end());
  }
  // A death-test child runs this again on the folder already changed.
  const std::size_t at = text.find("bump(\"flat.fx\")");
  if (at != std::string::npos) {
    text.replace(at, 15, "bump(\"..\\shader\\invert.fx\")");
    std::ofstream(model, std::ios::binary) << text;
  }
  EXPECT_EXIT(runProgramIn(show.root(), captureArguments(show.frames(), "3.5", "1")), testing::ExitedWithCode(0), "");
  EXPECT_TRUE(fs::exists(show.frames() / "000000.png"));
}

TEST_F(Program, ASkippedPostEffectRowSaysWhy) {
  TestShow show;
  std::ofstream(show.data() / "definition/postEffectDefine.txt", std::ios::binary)
      << "# effect\tstart\tend\torder\tpass\toutput\nnothere.fx 0 192000 95 -1 -1\ninvert.fx 3000 4000\n";
  EXPECT_EXIT(runProgramIn(show.root(), captureArguments(show.frames(), "3.5", "1")), testing::ExitedWithCode(0),
              "postEffectDefine.txt:3: the row has 3 of the 6 columns; row skipped\n.*"
              "postEffectDefine.txt:2: error: nothere.fx: the effect data.shader.nothere.fx is not found; the entry "
              "never runs\n");
}
