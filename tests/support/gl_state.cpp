// GL state snapshots for tests, read with glGet and glIsEnabled.
#include "support/gl_state.h"

#include "platform/gl.h"

#include <sstream>
#include <stdexcept>

namespace {

constexpr int kUnits = 8;

struct Query {
  const char* name;
  GLenum pname;
  int count;
};

#define ORVANE_QUERY(pname, count) Query{#pname, pname, count}
const Query kQueries[] = {
    ORVANE_QUERY(GL_CURRENT_PROGRAM, 1),       ORVANE_QUERY(GL_FRAMEBUFFER_BINDING_EXT, 1),
    ORVANE_QUERY(GL_VIEWPORT, 4),              ORVANE_QUERY(GL_ACTIVE_TEXTURE, 1),
    ORVANE_QUERY(GL_MATRIX_MODE, 1),           ORVANE_QUERY(GL_MODELVIEW_STACK_DEPTH, 1),
    ORVANE_QUERY(GL_PROJECTION_STACK_DEPTH, 1), ORVANE_QUERY(GL_COLOR_WRITEMASK, 4),
    ORVANE_QUERY(GL_DEPTH_WRITEMASK, 1),       ORVANE_QUERY(GL_DEPTH_FUNC, 1),
    ORVANE_QUERY(GL_BLEND_SRC_RGB, 1),         ORVANE_QUERY(GL_BLEND_DST_RGB, 1),
    ORVANE_QUERY(GL_BLEND_SRC_ALPHA, 1),       ORVANE_QUERY(GL_BLEND_DST_ALPHA, 1),
    ORVANE_QUERY(GL_BLEND_EQUATION_RGB, 1),    ORVANE_QUERY(GL_BLEND_EQUATION_ALPHA, 1),
    ORVANE_QUERY(GL_CULL_FACE_MODE, 1),        ORVANE_QUERY(GL_FRONT_FACE, 1),
    ORVANE_QUERY(GL_ALPHA_TEST_FUNC, 1),       ORVANE_QUERY(GL_ALPHA_TEST_REF, 1),
};
const Query kEnables[] = {
    ORVANE_QUERY(GL_BLEND, 1),         ORVANE_QUERY(GL_DEPTH_TEST, 1),    ORVANE_QUERY(GL_CULL_FACE, 1),
    ORVANE_QUERY(GL_ALPHA_TEST, 1),    ORVANE_QUERY(GL_SCISSOR_TEST, 1),  ORVANE_QUERY(GL_POINT_SPRITE, 1),
    ORVANE_QUERY(GL_VERTEX_PROGRAM_POINT_SIZE, 1), ORVANE_QUERY(GL_LIGHTING, 1), ORVANE_QUERY(GL_COLOR_MATERIAL, 1),
};
const Query kUnitQueries[] = {
    ORVANE_QUERY(GL_TEXTURE_BINDING_2D, 1), ORVANE_QUERY(GL_TEXTURE_BINDING_CUBE_MAP, 1),
    ORVANE_QUERY(GL_TEXTURE_STACK_DEPTH, 1),
};
#undef ORVANE_QUERY

}  // namespace

GlState GlState::take() {
  GlState state;
  for (const Query& query : kQueries) {
    std::vector<double> value(static_cast<std::size_t>(query.count));
    glGetDoublev(query.pname, value.data());
    state.mEntries.emplace_back(query.name, value);
  }
  for (const Query& query : kEnables) {
    state.mEntries.emplace_back(query.name, std::vector<double>{glIsEnabled(query.pname) ? 1.0 : 0.0});
  }
  GLint active = GL_TEXTURE0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  for (int unit = 0; unit < kUnits; ++unit) {
    glActiveTexture(GL_TEXTURE0 + unit);
    const std::string prefix = "unit " + std::to_string(unit) + " ";
    for (const Query& query : kUnitQueries) {
      GLint value = 0;
      glGetIntegerv(query.pname, &value);
      state.mEntries.emplace_back(prefix + query.name, std::vector<double>{static_cast<double>(value)});
    }
    GLint replace = 0;
    glGetTexEnviv(GL_POINT_SPRITE, GL_COORD_REPLACE, &replace);
    state.mEntries.emplace_back(prefix + "GL_COORD_REPLACE", std::vector<double>{static_cast<double>(replace)});
    state.mEntries.emplace_back(prefix + "GL_TEXTURE_2D", std::vector<double>{glIsEnabled(GL_TEXTURE_2D) ? 1.0 : 0.0});
  }
  glActiveTexture(static_cast<GLenum>(active));
  return state;
}

double GlState::at(const std::string& name, std::size_t index) const {
  for (const auto& [entry, value] : mEntries) {
    if (entry == name) return value.at(index);
  }
  throw std::out_of_range("no GL state entry " + name);
}

std::string GlState::differencesFrom(const GlState& other) const {
  std::ostringstream out;
  for (std::size_t i = 0; i < mEntries.size(); ++i) {
    if (mEntries[i].second == other.mEntries[i].second) continue;
    out << mEntries[i].first << ":";
    for (double value : other.mEntries[i].second) out << " " << value;
    out << " ->";
    for (double value : mEntries[i].second) out << " " << value;
    out << "\n";
  }
  return out.str();
}
