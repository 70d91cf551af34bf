// Every way out of a full-screen run puts the desktop's mode back: a fatal stop,
// SIGTERM or SIGINT in the show loop, SIGTERM in the big-screen pause, in a frame
// stuck past the loop's grace and while the main thread is busy loading (the
// watcher then restores it without SDL); and SIGTERM ends the setup dialog. The run plays on a
// nested X server (Xephyr) that offers many modes, so the switch is real.
#include "app/entry.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/show_folder.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

constexpr int kDesktopWidth = 1024, kDesktopHeight = 768;

// The program's windows come and go while the test looks at them (a window gone
// between the listing and the look is a BadWindow); Xlib's own handler would end
// the test process, leaving the program and the server behind.
int ignoreXErrors(Display*, XErrorEvent*) { return 0; }
constexpr const char* kFullScreen = "800x600";

// A nested X server on the test's own display, started for one test. It keeps
// running between clients (-noreset): a server that resets as its last client
// leaves refuses the next one for a moment.
class NestedDisplay {
 public:
  NestedDisplay() {
    XSetErrorHandler(ignoreXErrors);
    // Two servers started at once may pick the same free number; the loser ends.
    for (int attempt = 0; attempt < 5 && !ok(); ++attempt) start();
  }
  ~NestedDisplay() { stop(); }
  bool ok() const { return !mName.empty(); }
  const std::string& name() const { return mName; }

  std::pair<int, int> currentSize() const {
    std::pair<int, int> size{0, 0};
    Display* pDisplay = XOpenDisplay(mName.c_str());
    if (!pDisplay) return size;
    if (XRRScreenConfiguration* pConfig = XRRGetScreenInfo(pDisplay, DefaultRootWindow(pDisplay))) {
      int count = 0;
      XRRScreenSize* pSizes = XRRConfigSizes(pConfig, &count);
      Rotation rotation = 0;
      const SizeID current = XRRConfigCurrentConfiguration(pConfig, &rotation);
      if (current < count) size = {pSizes[current].width, pSizes[current].height};
      XRRFreeScreenConfigInfo(pConfig);
    }
    XCloseDisplay(pDisplay);
    return size;
  }

  // Whether any window is shown on the display (the dialog, once it is up).
  bool showsAWindow() const {
    Display* pDisplay = XOpenDisplay(mName.c_str());
    if (!pDisplay) return false;
    ::Window root = 0, parent = 0;
    ::Window* pChildren = nullptr;
    unsigned count = 0;
    bool shown = false;
    if (XQueryTree(pDisplay, DefaultRootWindow(pDisplay), &root, &parent, &pChildren, &count)) {
      for (unsigned i = 0; i < count && !shown; ++i) {
        XWindowAttributes attributes;
        shown = XGetWindowAttributes(pDisplay, pChildren[i], &attributes) && attributes.map_state == IsViewable;
      }
      if (pChildren) XFree(pChildren);
    }
    XCloseDisplay(pDisplay);
    return shown;
  }

 private:
  void start() {
    int ready[2];
    if (pipe(ready) != 0) return;
    mPid = fork();
    if (mPid == 0) {
      close(ready[0]);
      const std::string fd = std::to_string(ready[1]);
      const std::string screen = std::to_string(kDesktopWidth) + "x" + std::to_string(kDesktopHeight);
      execlp("Xephyr", "Xephyr", "-displayfd", fd.c_str(), "-screen", screen.c_str(), "-resizeable",
             "-no-host-grab", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(ready[1]);
    // The server writes the number and its newline apart: the pipe stays open
    // until the newline, or its second write fails and the server ends.
    std::string number;
    char byte = 0;
    while (read(ready[0], &byte, 1) == 1 && byte != '\n') number += byte;
    close(ready[0]);
    if (byte == '\n' && !number.empty()) mName = ":" + number;
    if (!ok() || currentSize().first == 0) {
      stop();
      mName.clear();
    }
  }
  void stop() {
    if (mPid > 0) {
      kill(mPid, SIGTERM);
      waitpid(mPid, nullptr, 0);
      mPid = -1;
    }
  }

  pid_t mPid = -1;
  std::string mName;
};

// The program in a child process, on the nested display, from `root`; its
// standard error goes to `errors`.
pid_t startProgram(const NestedDisplay& display, const fs::path& root, std::vector<std::string> arguments,
                   const fs::path& errors) {
  const pid_t child = fork();
  if (child != 0) return child;
  if (chdir(root.c_str()) != 0) _exit(100);
  if (!std::freopen(errors.c_str(), "w", stderr)) _exit(101);
  std::setvbuf(stderr, nullptr, _IONBF, 0);  // read while the program runs
  setenv("DISPLAY", display.name().c_str(), 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  arguments.insert(arguments.begin(), "orvane");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  _exit(orvaneMain(static_cast<int>(arguments.size()), argv.data()));
}

// Polls `condition` every millisecond for up to a minute; false if it never
// held or the child ended first.
template <typename Condition>
bool waitFor(pid_t child, Condition condition) {
  for (int step = 0; step < 60 * 1000; ++step, usleep(1000)) {
    if (condition()) return true;
    int status = 0;
    if (waitpid(child, &status, WNOHANG) == child) return false;
  }
  return false;
}

// The child's exit status, or -1 when it had to be killed after a minute.
int exitStatus(pid_t child) {
  int status = 0;
  for (int step = 0; step < 60 * 1000; ++step, usleep(1000)) {
    if (waitpid(child, &status, WNOHANG) == child) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
  }
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  return -1;
}

std::string readAll(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class FullScreenExit : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mDisplay.ok()) << "Xephyr did not start (scripts/install-deps installs it)";
    ASSERT_EQ(mDisplay.currentSize(), std::make_pair(kDesktopWidth, kDesktopHeight));
    writeTestShow(mDir.path());
  }
  bool switched() const { return mDisplay.currentSize() == std::make_pair(800, 600); }
  void expectDesktopBack() const {
    EXPECT_EQ(mDisplay.currentSize(), std::make_pair(kDesktopWidth, kDesktopHeight)) << readAll(errors());
  }
  fs::path errors() const { return mDir.path() / "errors.txt"; }
  // The program, started for this test; a failed assertion leaves none behind.
  pid_t start(std::vector<std::string> arguments) {
    const pid_t child = startProgram(mDisplay, mDir.path(), std::move(arguments), errors());
    mChildren.push_back(child);
    return child;
  }
  void TearDown() override {
    for (const pid_t child : mChildren) {
      if (kill(child, SIGKILL) == 0) waitpid(child, nullptr, 0);
    }
  }

  NestedDisplay mDisplay;
  TempDir mDir;
  std::vector<pid_t> mChildren;
};

}  // namespace

TEST_F(FullScreenExit, AFatalStopWhileLoadingPutsTheDesktopModeBack) {
  const fs::path order = mDir.path() / "data/definition/sceneLineDefine.txt";
  std::ofstream(order) << "data\\qel\\lineA.qel\t0\t0\t0\t0\t0\tdefault\n"
                          "data\\qel\\lineB.qel\t1\t1000\t3000\t0\t0\tnosuchshader\n";
  const pid_t child = start({"--no-dialog", "--fullscreen", kFullScreen});
  EXPECT_EQ(exitStatus(child), 3) << readAll(errors());
  expectDesktopBack();
}

TEST_F(FullScreenExit, SigtermOrSigintInTheShowLoopEndsTheShowAndPutsTheDesktopModeBack) {
  for (const int signal : {SIGTERM, SIGINT}) {
    const pid_t child =
        start({"--no-dialog", "--fullscreen", kFullScreen, "--dev"});
    ASSERT_TRUE(waitFor(child, [&] { return switched(); })) << readAll(errors());
    // Author mode reloads an edited table in its frames: once it says so, the loop
    // runs. An edit made before author mode took its first look is no change to
    // it, so the table is edited again now and then until one is seen.
    const fs::path table = mDir.path() / "data/definition/postEffectDefine.txt";
    int polls = 0;
    ASSERT_TRUE(waitFor(child, [&] {
      if (polls++ % 500 == 0) std::ofstream(table, std::ios::app) << "# edited\n";
      return readAll(errors()).find("orvane: reloaded") != std::string::npos;
    })) << readAll(errors());
    ASSERT_EQ(kill(child, signal), 0);
    EXPECT_EQ(exitStatus(child), 0) << "the loop ends the show as on a second Escape, signal " << signal;
    expectDesktopBack();
  }
}

TEST_F(FullScreenExit, SigtermWhileTheDialogWaitsEndsWithTheSignalsStatus) {
  // The dialog sleeps in SDL's event wait: the hand-over's event wakes it.
  const pid_t child = start({});
  ASSERT_TRUE(waitFor(child, [&] { return mDisplay.showsAWindow(); })) << readAll(errors());
  ASSERT_EQ(kill(child, SIGTERM), 0);
  EXPECT_EQ(exitStatus(child), 128 + SIGTERM) << readAll(errors());
  expectDesktopBack();
}

TEST_F(FullScreenExit, SigtermInTheBigScreenPauseEndsWithTheSignalsStatus) {
  const pid_t child = start({"--no-dialog", "--fullscreen", kFullScreen, "--big-screen"});
  // The pause (three seconds) follows the switch at once.
  ASSERT_TRUE(waitFor(child, [&] { return switched(); })) << readAll(errors());
  ASSERT_EQ(kill(child, SIGTERM), 0);
  EXPECT_EQ(exitStatus(child), 128 + SIGTERM);
  expectDesktopBack();
}

// CPU seconds the process has used, its threads together.
double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return 0.0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  double ticks = 0.0;
  for (int index = 3; fields >> field && index <= 15; ++index) {
    if (index == 14 || index == 15) ticks += std::stod(field);  // user and system time
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

TEST_F(FullScreenExit, SigtermWhileAFrameIsStuckPastTheGraceEndsWithTheSignalsStatus) {
  // A post effect that would take minutes over the whole screen: the first frame
  // keeps the main thread in GL, waiting for it, past the loop's grace.
  std::ofstream(mDir.path() / "data/shader/slow.fx")
      << "uniform float4x4 projMat;\n"
         "sampler2D srcCBuf0 = sampler_state { MinFilter = Nearest; MagFilter = Nearest; };\n"
         "varying vec2 uv;\n"
         "void screenVertex() { gl_Position = projMat * gl_Vertex; uv = gl_MultiTexCoord0.xy; }\n"
         "vec4 slow() {\n"
         "  vec4 sum = vec4(0.0);\n"
         "  for (int i = 0; i < 200000; ++i) sum += texture2D(srcCBuf0, uv + vec2(float(i) * 1e-7, 0.0));\n"
         "  return vec4(sum.rgb * 1e-6, 1.0);\n"
         "}\n"
         "technique Slow { pass P { VertexProgram = compile glslv screenVertex(); "
         "FragmentProgram = compile glslf slow(); DepthTestEnable = false; } }\n";
  std::ofstream(mDir.path() / "data/definition/postEffectDefine.txt") << "slow.fx\t0\t4000\t0\t-1\t-1\n";
  const pid_t child = start({"--no-dialog", "--fullscreen", kFullScreen});
  ASSERT_TRUE(waitFor(child, [&] { return switched(); })) << readAll(errors());
  // Loading the test show takes well under a second of work; the stuck frame
  // burns the rest.
  ASSERT_TRUE(waitFor(child, [&] { return cpuSeconds(child) > 4.0; })) << readAll(errors());
  ASSERT_EQ(kill(child, SIGTERM), 0);
  EXPECT_EQ(exitStatus(child), 128 + SIGTERM) << "the loop never came back: the watcher ended the run";
  expectDesktopBack();
}

TEST_F(FullScreenExit, SigtermWhileTheMainThreadIsBusyLoadingIsNotHeldUp) {
  // A model of a million faces keeps the main thread in the reader, where it
  // looks at no event: the watcher restores the display through X itself.
  const fs::path model = fs::canonical(mDir.path() / "data/qel") / "red.mqo";
  {
    std::ofstream out(model);
    out << "Metasequoia Document\nFormat Text Ver 1.0\n\nMaterial 1 {\n\t\"red\" col(1 0 0 1.000)\n}\n"
           "Object \"plate\" {\n\tdepth 0\n\tvertex 4 {\n\t\t0 0 0\n\t\t1 0 0\n\t\t1 1 0\n\t\t0 1 0\n\t}\n"
           "\tface 1000000 {\n";
    for (int face = 0; face < 1000000; ++face) out << "\t\t4 V(0 1 2 3) M(0)\n";
    out << "\t}\n}\nEof\n";
  }
  const pid_t child = start({"--no-dialog", "--fullscreen", kFullScreen});
  ASSERT_TRUE(waitFor(child, [&] {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", error)) {
      std::error_code linkError;
      if (fs::read_symlink(entry.path(), linkError) == model) return true;
    }
    return false;
  })) << readAll(errors());
  ASSERT_TRUE(switched());
  ASSERT_EQ(kill(child, SIGTERM), 0);
  EXPECT_EQ(exitStatus(child), 128 + SIGTERM);
  expectDesktopBack();
}
