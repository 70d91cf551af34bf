// cRenderObject: geometry drawn through an effect, one pass at a time, with the
// standard parameters (matrices, fixed lighting, eye and light) set per pass.
// Main thread, inside a frame's drawing.
#pragma once

#include <vector>

#include "framework/types.h"
#include "framework/vell_object.h"
#include "resource/res_shader.h"

struct FrameContext;

class cRenderObject : public VellObject {
  VELL_CLASS(cRenderObject, VellObject)
 public:
  // Texture coordinate, normal and position: the T2F_N3F_V3F layout.
  struct ImmediateVertex {
    f32 u, v;
    f32 nx, ny, nz;
    f32 x, y, z;
  };

  cRenderObject() = default;
  ~cRenderObject() override = default;

  // Sets the standard parameters, then applies the current program's pass: a value
  // set after this reaches the program only when the pass is set again.
  virtual void beginPass(u32 pass);
  // Draws the geometry through every pass of the effect (or once without one).
  virtual void draw(f32 time, const FrameContext& frame);
  // Draws and empties the immediate vertex lists, then resets the pass.
  virtual void endPass(u32 pass);
  virtual resShader* getShader() const { return shader; }
  virtual void setShader(resShader* pShader);
  virtual void drawGeometry(u32 /*pass*/) {}

  std::vector<ImmediateVertex> triangleVertices;
  std::vector<ImmediateVertex> fanVertices;

 protected:
  resShader* shader = nullptr;  // borrowed
};

// Parameter setters on the shader manager's current program; each one requires
// a current program, and each checks the declared type as resShader's typed setters do.
void setCurrentParameter(const char* name, f32 value);
void setCurrentParameter(const char* name, const float4& value);
void setCurrentParameter(const char* name, TextureName texture);
void setCurrentStateMatrix(const char* name, u32 code);
