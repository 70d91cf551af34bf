// A stage for scene tests: a hidden window with the effect context, run in a
// temporary folder whose data/ reaches the shipped effects and textures, with a
// small box model, the start scene's model and a Qel animation written by the
// test. Restores the working folder at the end.
#pragma once

#include "platform/gl.h"

#include <array>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "demo/scene_qel_default.h"
#include "demo/scene_qel_trampoline.h"
#include "platform/video.h"
#include "render/frame_context.h"
#include "resource/shader_manager.h"
#include "screen/jitter.h"
#include "support/gl_test_context.h"
#include "support/source_dir.h"
#include "support/temp_dir.h"

class SceneStage {
 public:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 90;

  explicit SceneStage(int width = kWidth, int height = kHeight);
  ~SceneStage();
  bool ok() const { return mContext.ok(); }
  const char* error() const { return mContext.error(); }

  // Writes a Qel file (into data/, as every file of it) of two-second scenes, each with a camera looking at the
  // origin and the model of index 0 (`modelFile`, with one object "box").
  void writeQel(const std::string& fileName, const std::vector<std::string>& sceneNames,
                const std::string& modelFile = "boxfloor.mqo") const;
  // Builds the trampoline of a Qel file (its children's init runs here).
  std::unique_ptr<CSceneQelTrampoline> play(const std::string& fileName) const;
  // Clears, then runs a child's update, draw and finish as the trampoline does.
  static void drawChild(CSceneQelTrampoline& trampoline, std::size_t child, f32 progress);
  // The back buffer's lower-left width x height pixels, RGBA rows from the bottom.
  static std::vector<u8> capture(int width = kWidth, int height = kHeight);

 private:
  TempDir mDir;
  std::filesystem::path mPrevious;
  GlTestContext mContext;
};

inline SceneStage::SceneStage(int width, int height)
    : mPrevious(std::filesystem::current_path()), mContext(width, height) {
  const std::filesystem::path source = orvaneSourceDir();
  const std::string box = testData("models/box.mqo");
  std::filesystem::create_directories(mDir.path() / "data");
  // Copies, not links: what the show loads must really lie in its data folder.
  std::filesystem::copy(source / "data" / "shader", mDir.path() / "data" / "shader",
                        std::filesystem::copy_options::recursive);
  std::filesystem::copy(source / "data" / "texture", mDir.path() / "data" / "texture",
                        std::filesystem::copy_options::recursive);
  mDir.write("data/model/boxdna/boxdna_s_uv.mqo", box);
  mDir.write("data/boxfloor.mqo", box);
  mDir.write("data/plainbox.mqo", box);
  std::filesystem::current_path(mDir.path());
  if (mContext.ok()) {
    // The window settles on its first events; drain them before drawing.
    platform::Event ignored;
    while (platform::pollEvent(ignored)) {
    }
    shaderManager::mpThis->initialize();
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
  }
}

inline SceneStage::~SceneStage() {
  if (mContext.ok()) {
    shaderManager::mpThis->destroyContext();
  }
  std::filesystem::current_path(mPrevious);
}

inline void SceneStage::writeQel(const std::string& fileName, const std::vector<std::string>& sceneNames,
                          const std::string& modelFile) const {
  std::ostringstream qel;
  qel << "MQO {\n\t0 \"" << modelFile << "\"\n}\n";
  for (const std::string& name : sceneNames) {
    qel << "Scene \"" << name << "\" {\n"
        << "\tObject -1 {\n\t\tDataNum 2\n\t\tTime { 0 2 }\n"
        // 60 degrees of view (30 plus the y rotation), from z = 9 (stored negated).
        << "\t\tPart \"camera_pos\" {\n\t\t\tPosition { 0 1.5 -9 1 1.5 -9 }\n"
        << "\t\t\tRotation { 0 0.5236 0 0 0.5236 0 }\n\t\t}\n"
        << "\t\tPart \"camera_lookat\" {\n\t\t\tPosition { 0 0.5 0 0 0.5 0 }\n\t\t}\n\t}\n"
        << "\tObject 0 {\n\t\tDataNum 2\n\t\tTime { 0 2 }\n"
        << "\t\tPart \"box\" {\n\t\t\tPosition { 0 0 0 0 0 0 }\n\t\t\tRotation { 0.3 0 0 0.3 1.5 0 }\n\t\t}\n\t}\n"
        << "}\n";
  }
  qel << "Eof\n";
  mDir.write("data/" + fileName, qel.str());
}

inline std::unique_ptr<CSceneQelTrampoline> SceneStage::play(const std::string& fileName) const {
  SceneDefInfo row;
  row.name = "data/" + fileName;
  row.shader = "default";
  return std::make_unique<CSceneQelTrampoline>(row);
}

inline void SceneStage::drawChild(CSceneQelTrampoline& trampoline, std::size_t child, f32 progress) {
  // Twice: the model renderer hands its matrices to the effect after setting the
  // pass, so a model drawn for the first time still uses the previous matrices.
  for (int time = 0; time < 2; ++time) {
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    CSceneQelDefault& scene = *trampoline.getChildren().at(child);
    cQelRender* pRender = trampoline.getRenderer();
    scene.update(pRender, progress);
    glPushMatrix();
    scene.draw(pRender, progress, FrameContext{});
    glPopMatrix();
    scene.finish(pRender, progress);
  }
}

inline std::vector<u8> SceneStage::capture(int width, int height) {
  std::vector<u8> pixels(static_cast<std::size_t>(width) * height * 4);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}
