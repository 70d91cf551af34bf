// cQelRender: plays one scene of a Qel animation — the camera from the scene's
// camera tracks, every animated model through its own cMqoRender — at a time
// given as a fraction of the scene's length. Main thread, inside a frame's drawing.
#pragma once

#include <memory>
#include <vector>

#include "render/mqo_render.h"

class resQEL;
struct MqoMaterial;

class cQelRender : public cRenderObject {
  VELL_CLASS(cQelRender, cRenderObject)
 public:
  cQelRender() = default;
  ~cQelRender() override;

  virtual void setQel(resQEL* pQel);
  virtual void releaseRenderers();
  virtual void drawSceneByName(const char* name, f32 progress, const FrameContext& frame);
  virtual void drawSceneByIndex(u32 index, f32 progress, const FrameContext& frame) {
    drawScene(index, progress, 1, frame);
  }
  virtual const MqoMaterial& setModelMaterial(const MqoMaterial* pMaterial, u32 mqoIndex, u32 materialIndex);
  virtual void drawScene(u32 sn, f32 progress, s32 withCamera, const FrameContext& frame);

  // Sets the projection and view of scene s at progress p.
  void setCamera(u32 sceneIndex, f32 progress, const FrameContext& frame);
  // Objects of the named scene without its camera; -1 without objects, 0 when no scene has the name.
  s32 getSceneObjectCount(const char* name) const;
  // The scene's length: the last key time of its camera objects.
  f32 getSceneTime(u32 sceneIndex) const;

  resQEL* getQel() const { return mpQel; }

 private:
  void applyCamera(u32 sceneIndex, f32 time, const FrameContext& frame);

  resQEL* mpQel = nullptr;  // borrowed: the scene holds the reference
  std::vector<std::vector<std::unique_ptr<cMqoRender>>> renderers;
};
