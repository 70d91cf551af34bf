// cMqoRender draws a loaded model material by material through each material's
// effect (or the current line's shader), still or moved by one animated object's
// tracks; cMassMqoRender draws many copies of a still model with one set-up per
// material and pass. Main thread, inside a frame's drawing.
#pragma once

#include <optional>
#include <vector>

#include "render/render_object.h"
#include "resource/current_effect.h"

class resMQO;
class QelTrackSet;
class resShader;

class cMqoRender : public cRenderObject {
  VELL_CLASS(cMqoRender, cRenderObject)
 public:
  cMqoRender() = default;
  ~cMqoRender() override = default;

  // Draws with the frame's override effect, when it has one, instead of the materials' own.
  void draw(f32 time, const FrameContext& frame) override;
  // Binds a model (with its texture ids) and, when given, the tracks that move it.
  virtual void setModel(resMQO* pModel, const QelTrackSet* pAnim);
  virtual void releaseInstances() {}
  virtual u32 getPassNum() const;
  virtual u32 getMaterialNum() const;
  virtual void drawFace(u32 object, u32 face, u32 material);
  // Chooses the material's effect (the frame's override, when it has one) and sets
  // its parameters.
  virtual void setMaterial(u32 material, f32 alpha, f32 time, const FrameContext& frame);

  resMQO* getModel() const { return mpMqo; }
  const QelTrackSet* getAnimation() const { return mpAnim; }
  const std::vector<u32>& getBaseTextureIds() const { return baseTextureIds; }

 protected:
  // One material through every pass of its effect, calling the list.
  void drawMaterial(u32 material, u32 list, f32 alpha, f32 time, const FrameContext& frame);
  // Every material that has triangles, in material order.
  void drawStill(f32 alpha, f32 time, const FrameContext& frame);
  // The materials the object's triangles use, in material order.
  void drawObject(u32 object, f32 alpha, f32 time, const FrameContext& frame);

  resMQO* mpMqo = nullptr;              // borrowed: the scene holds the reference
  const QelTrackSet* mpAnim = nullptr;  // borrowed
  std::vector<u32> baseTextureIds;
  std::vector<u32> overlapTextureIds;
  bool mStackFullReported = false;
  u32 mModelVersion = 0;  // the model's version the texture ids were taken from
};

class cMassMqoRender : public cMqoRender {
  VELL_CLASS(cMassMqoRender, cMqoRender)
 public:
  cMassMqoRender() = default;
  ~cMassMqoRender() override = default;

  // Makes the material's effect current until endMaterialPass.
  virtual void beginMaterialPass(f32 time, u32 pass, u32 material, f32 alpha, const FrameContext& frame);
  // Sets the three matrices again after the modelview changed for another copy.
  virtual void updateMatrices();
  virtual void drawInstance();
  virtual void endMaterialPass();

 private:
  u32 currentMaterial = 0;
  u32 currentPass = 0;
  std::optional<CurrentEffect> mCurrentEffect;  // from beginMaterialPass to endMaterialPass
};
