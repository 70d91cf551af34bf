// Procedural bench scenes. Fixed-function GL only; every state they change is
// pushed and popped, and every projection goes through the jittered frustum so
// that anti-aliasing works on them as on the show's scenes.
#include "app/bench_scenes.h"

#include "platform/gl.h"

#include <cmath>

#include "demo/demo_manager.h"
#include "demo/scene.h"
#include "demo/scene_manager.h"
#include "render/frame_context.h"
#include "render/jittered_projection.h"

namespace {

constexpr int kColumns = 16;
constexpr int kRows = 9;
constexpr int kLayers = 3;
constexpr int kRings = 12;
constexpr int kRingSegments = 96;

void unitCube() {
  // Each face counter-clockwise seen from outside, so back faces are culled.
  static const float kNormals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  static const float kCorners[6][4][3] = {
      {{1, -1, 1}, {1, -1, -1}, {1, 1, -1}, {1, 1, 1}},      {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}},
      {{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}},      {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}},
      {{-1, -1, 1}, {1, -1, 1}, {1, 1, 1}, {-1, 1, 1}},      {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}}};
  glBegin(GL_QUADS);
  for (int face = 0; face < 6; ++face) {
    glNormal3fv(kNormals[face]);
    for (const auto& corner : kCorners[face]) glVertex3f(corner[0] * 0.5f, corner[1] * 0.5f, corner[2] * 0.5f);
  }
  glEnd();
}

// The camera of both scenes: a 16:9 picture, jittered by the sample being drawn.
void loadCamera(f32 progress, const FrameContext& frame) {
  jitteredPerspective(frame, 45.0, 16.0 / 9.0, 0.5, 100.0);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glTranslatef(0.0f, 0.0f, -24.0f);
  glRotatef(12.0f, 1.0f, 0.0f, 0.0f);
  glRotatef(progress * 90.0f - 45.0f, 0.0f, 1.0f, 0.0f);
}

class CubeFieldScene : public IScene {
 public:
  CubeFieldScene() {
    setName("bench.cubes");
    setTimeRange(0, BenchSceneSet::LENGTH_MS);
  }
  void prepare() override {}
  void onEnter() override {}
  void release() override {}
  s32 hasContentAt(u32) const override { return 1; }

  void draw(f32 progress, const FrameContext& frame) override {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glClearColor(0.05f, 0.06f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    loadCamera(progress, frame);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    const GLfloat light[4] = {0.4f, 0.8f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light);
    const f32 turn = progress * 720.0f;
    for (int layer = 0; layer < kLayers; ++layer) {
      for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
          const f32 x = (static_cast<f32>(column) - (kColumns - 1) * 0.5f) * 1.2f;
          const f32 y = (static_cast<f32>(row) - (kRows - 1) * 0.5f) * 1.2f;
          const f32 z = -static_cast<f32>(layer) * 2.5f;
          glColor3f(0.3f + 0.7f * static_cast<f32>(column) / kColumns, 0.4f + 0.6f * static_cast<f32>(row) / kRows,
                    0.9f - 0.3f * static_cast<f32>(layer));
          glPushMatrix();
          glTranslatef(x, y + 0.3f * std::sin(turn * 0.02f + x), z);
          glRotatef(turn + static_cast<f32>(column * 17 + row * 31), 0.3f, 1.0f, 0.2f);
          unitCube();
          glPopMatrix();
        }
      }
    }
    glPopMatrix();  // model-view
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
  }
};

class RingScene : public IScene {
 public:
  RingScene() {
    setName("bench.rings");
    setTimeRange(0, BenchSceneSet::LENGTH_MS);
  }
  void prepare() override {}
  void onEnter() override {}
  void release() override {}
  s32 hasContentAt(u32) const override { return 1; }

  void draw(f32 progress, const FrameContext& frame) override {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    loadCamera(progress, frame);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    for (int ring = 0; ring < kRings; ++ring) {
      const f32 radius = 2.0f + 0.6f * static_cast<f32>(ring);
      const f32 phase = progress * 6.2831853f * (1.0f + 0.1f * static_cast<f32>(ring));
      glPushMatrix();
      glRotatef(static_cast<f32>(ring) * 15.0f + progress * 180.0f, 1.0f, 0.0f, 0.0f);
      glBegin(GL_TRIANGLE_STRIP);
      for (int segment = 0; segment <= kRingSegments; ++segment) {
        const f32 angle = 6.2831853f * static_cast<f32>(segment) / kRingSegments;
        const f32 glow = 0.5f + 0.5f * std::sin(angle * 3.0f + phase);
        glColor4f(1.0f, 0.5f + 0.4f * glow, 0.2f, 0.6f * glow);
        glVertex3f(std::cos(angle) * radius, std::sin(angle) * radius, -0.08f);
        glVertex3f(std::cos(angle) * (radius + 0.12f), std::sin(angle) * (radius + 0.12f), 0.08f);
      }
      glEnd();
      glPopMatrix();
    }
    glPopMatrix();  // model-view
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
  }
};

}  // namespace

BenchSceneSet::BenchSceneSet() {
  mScenes.push_back(std::make_unique<CubeFieldScene>());
  mScenes.push_back(std::make_unique<RingScene>());
}

BenchSceneSet::~BenchSceneSet() = default;

void BenchSceneSet::addTo(CDemoManager& demo) {
  for (int line = 0; line < CDemoManager::LINE_COUNT; ++line) {
    IScene* pScene = mScenes[static_cast<std::size_t>(line)].get();
    pScene->setLineIndex(line);
    auto& pManager = mManagers.emplace_back(std::make_unique<CSceneManager>());
    pManager->addScene(pScene);
    demo.addSceneManager(line, pManager.get());
    demo.addLineShader(line, nullptr);
  }
}
