// A snapshot of the GL state drawing code must hand back as it found it (program,
// framebuffer, viewport, enables and functions, write masks, matrix mode and stack
// depths, the active unit and each unit's textures), to compare before and after a draw.
#pragma once

#include <string>
#include <utility>
#include <vector>

class GlState {
 public:
  static GlState take();
  // The value of an entry by its GL name ("GL_DEPTH_FUNC", "unit 1 GL_TEXTURE_BINDING_CUBE_MAP").
  double at(const std::string& name, std::size_t index = 0) const;
  // The entries that differ from `other`, one "name: before -> after" a line; empty when none.
  std::string differencesFrom(const GlState& other) const;

 private:
  std::vector<std::pair<std::string, std::vector<double>>> mEntries;
};
