// The show's running order: which Qel scene plays when, on which line, and the
// music section it sits in. The scene definition file, the post-effect table and
// the Qel files are all written from this one table.
#pragma once

#include <array>
#include <string_view>

namespace orvane::show {

struct SceneSlot {
  std::string_view name;  // the Qel scene name (and so the scene class)
  int line;               // 0: the main line, 1: the overlay line
  int startMs;
  int lengthMs;
  std::string_view section;  // the music section it plays in
};

// Line 0 plays its scenes back to back from 0 to the end of the music. Line 1
// rests (an empty scene hides it) until its overlay.
inline constexpr std::array<SceneSlot, 17> kRunningOrder{{
    {"start", 0, 0, 16000, "intro"},
    {"boxfloor1", 0, 16000, 16000, "verse"},
    {"dnabox", 0, 32000, 16000, "verse"},
    {"pipe1", 0, 48000, 8000, "buildup1"},
    {"pipe2", 0, 56000, 8000, "buildup1"},
    {"finesky", 0, 64000, 16000, "main"},
    {"greetz", 0, 80000, 16000, "main"},
    {"happa", 0, 96000, 16000, "breakdown"},
    {"kusa", 0, 112000, 16000, "breakdown"},
    {"lightToSky", 0, 128000, 16000, "buildup2"},
    {"toTheSky", 0, 144000, 8000, "climax"},
    {"sakuraFar1", 0, 152000, 8000, "climax"},
    {"sakuraSaku", 0, 160000, 16000, "climax"},
    {"sakuraFar2", 0, 176000, 8000, "outro"},
    {"SakuraKare", 0, 184000, 8000, "outro"},
    {"rest", 1, 0, 128000, "intro"},
    {"lightballs", 1, 128000, 16000, "buildup2"},
}};

inline constexpr const char* kMainQel = "data\\qel\\show.qel";
inline constexpr const char* kOverlayQel = "data\\qel\\overlay.qel";
inline constexpr int kShowMs = 192000;

}  // namespace orvane::show
