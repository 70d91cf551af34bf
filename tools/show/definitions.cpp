// The definition tables, written from the running order; see definitions.h.
#include "show/definitions.h"

#include <cstdio>
#include <vector>

#include "show/running_order.h"

namespace orvane::show {
namespace {

struct PostEntry {
  const char* effect;
  int start, end, order, pass, output;
  const char* why;
  const char* size = "";  // the optional size column of a work screen
};

std::string row(const PostEntry& e) {
  char text[160];
  std::snprintf(text, sizeof text, "%-21s %7d %7d %4d %3d %3d %3s", e.effect, e.start, e.end, e.order, e.pass, e.output,
                e.size);
  return std::string(text) + "\t# " + e.why + "\n";
}

}  // namespace

std::string sceneLineDefinitions() {
  std::string out =
      "# Orvane running order (written by tools/show). Columns: Qel file, line, window start ms,\n"
      "# window end ms, two reserved numbers, line shader (\"default\" for none).\n"
      "# Line 0 plays every scene of show.qel back to back, 0 to 192000 ms. Line 1 is the\n"
      "# overlay: its first scene has no models (so the line stays hidden) until the light\n"
      "# balls rise over the second build-up, drawn with the glowing line shader.\n";
  out += std::string(kMainQel) + "\t0\t0\t0\t0\t0\tdefault\n";
  int overlayStart = 0, overlayEnd = 0;
  for (const SceneSlot& slot : kRunningOrder)
    if (slot.line == 1 && slot.name != "rest") {
      overlayStart = slot.startMs;
      overlayEnd = slot.startMs + slot.lengthMs;
    }
  out += std::string(kOverlayQel) + "\t1\t" + std::to_string(overlayStart) + "\t" + std::to_string(overlayEnd) +
         "\t0\t0\tshowLineGlow\n";
  return out;
}

std::string postEffectDefinitions() {
  // Crash cymbals of the music: a flash on each.
  // (The last one, at 188000 ms, falls in the fade-out and is left dark.)
  const int crashes[] = {16000, 32000, 64000, 80000, 96000, 144000, 160000};
  // One window-sized pass reads the lines and writes the screen (grade, glow and,
  // in the verse and the breakdown, depth of field together); the blurred copy
  // behind the glow is graded at half size and blurred at a quarter.
  std::vector<PostEntry> entries = {
      {"postCompose.fx", 0, 127999, 10, -1, 1, "line 0 graded, at half size into work 1", "1/2"},
      {"postCrossfade.fx", 128000, 144000, 10, -1, 1, "line 1 fading in over line 0, the same", "1/2"},
      {"postCompose.fx", 144001, kShowMs, 10, -1, 1, "line 0 graded, at half size into work 1", "1/2"},
      {"postGlowBlur.fx", 0, kShowMs, 20, 0, 3, "blur across, work 1 to work 3 at a quarter size", "1/4"},
      {"postGlowBlur.fx", 0, kShowMs, 30, 1, 2, "blur down, work 3 to work 2", "1/4"},
      {"postFinal.fx", 0, 15999, 50, -1, -1, "picture plus glow to the screen"},
      {"postFinalFocus.fx", 16000, 48000, 50, -1, -1, "the same with depth of field in the verse"},
      {"postFinal.fx", 48001, 95999, 50, -1, -1, "picture plus glow to the screen"},
      {"postFinalFocus.fx", 96000, 127999, 50, -1, -1, "the same with depth of field in the breakdown"},
      {"postFinalCrossfade.fx", 128000, 144000, 50, -1, -1, "line 1 fading in over line 0, plus glow"},
      {"postFinal.fx", 144001, kShowMs, 50, -1, -1, "picture plus glow to the screen"},
      {"postRadial.fx", 48000, 64000, 60, 0, 0, "radial rush of the first build-up, smeared at half size", "1/2"},
      {"postRadial.fx", 48000, 64000, 70, 1, -1, "and laid over the screen"},
      {"postRadial.fx", 128000, 144000, 60, 0, 0, "radial rush of the second build-up, the same", "1/2"},
      {"postRadial.fx", 128000, 144000, 70, 1, -1, "and laid over the screen"},
  };
  for (int crash : crashes)
    entries.push_back({"postFlash.fx", crash, crash + (crash == 64000 || crash == 144000 ? 1200 : 600), 80, -1, -1,
                       "flash on the crash"});
  entries.push_back({"postFade.fx", 0, 4000, 90, 1, -1, "fade in from black"});
  entries.push_back({"postFade.fx", 185000, kShowMs, 90, 0, -1, "fade out to black"});
  std::string out =
      "# Orvane post-effect chain (written by tools/show). Columns: effect file under data\\shader\\,\n"
      "# start ms, end ms, order, pass (-1 all), output (-1 the screen, 0-3 work screens),\n"
      "# and optionally the size of the work screen written (1/2, 1/4, 1/8 of the window).\n"
      "# Work 1 holds the graded picture at half size, work 3 and 2 its blur at a quarter; the final\n"
      "# entries write the screen for the whole show and the later ones blend over it.\n";
  for (const PostEntry& e : entries) out += row(e);
  return out;
}

std::string shaderTextureDefinitions() {
  return "# Textures offered to every effect (written by tools/show): file, parameter.\n"
         "data\\texture\\vignette.tga\tshVignette\n"
         "data\\texture\\envCube.dds\tshEnvCube\n";
}

}  // namespace orvane::show
