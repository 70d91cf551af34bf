// resShader: an effect file loaded through the resource manager, with the technique
// chosen at load, its passes in order and the flat table of leaf parameters that
// drawing code sets by name or semantic. Main thread, with the GL context current.
#pragma once

#include <array>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "framework/types.h"
#include "framework/vell_object.h"
#include "fx/effect.h"
#include "resource/resource_object.h"

// The values the typed setters take: four floats, and sixteen floats row after row.
using float4 = std::array<f32, 4>;
using float4x4 = std::array<f32, 16>;
// A GL texture name handed to a sampler parameter.
struct TextureName {
  u32 id;
};

// Bits 4-7 of setStateMatrix's flags pick the matrix, bits 0-3 the transform.
namespace state_matrix {
inline constexpr u32 kModelView = 0x10;
inline constexpr u32 kProjection = 0x20;
inline constexpr u32 kTexture = 0x40;
inline constexpr u32 kModelViewProjection = 0x80;
inline constexpr u32 kIdentity = 0x1;
inline constexpr u32 kTranspose = 0x2;
inline constexpr u32 kInverse = 0x4;
inline constexpr u32 kInverseTranspose = 0x8;
}  // namespace state_matrix

class resShader : public resourceObject {
  VELL_CLASS(resShader, resourceObject)
 public:
  struct ShaderParam {
    std::string name;
    std::string semantic;  // empty when the parameter has none
    fx::Parameter* parameter;
    u32 type;
  };

  resShader() = default;
  // Destroys the effect while it is still alive; the name stays registered.
  ~resShader() override;

  // Compiles the effect and picks the first technique that validates; any failure is fatal,
  // a parameter the engine sets declared with a type its value does not fit included.
  bool load(VellFileStream& stream) override;
  const char* getExtensionMask() const override { return "fx|cgfx"; }

  // Author mode: compiles `source` as a new version of this file and, when a
  // technique validates, swaps it in — this object, its registered name and every
  // holder's pointer stay; the effect, passes and parameter table are replaced
  // (values are set by name each frame, so bindings carry over). On failure the
  // old version stays and `error` receives the runtime's "FILE:LINE: error: ..." text.
  // A version with fewer than `minimumPasses` passes is refused the same way (a
  // post-effect entry that runs one pass by index would otherwise stop the show),
  // and so is one declaring a parameter the engine sets with a type its value does not fit.
  // Every value set through setParameter and every setStateMatrix binding is set
  // again on the new version (values the engine sets once, such as core.fx's
  // "div" or the default stage's screens, would otherwise fall back to the file's
  // defaults), and a version with fewer passes than requirePasses asked is refused.
  bool reload(std::string_view source, std::string& error, u32 minimumPasses = 1);
  // The resource-level reload (from the file) stays callable beside the one above.
  using resourceObject::reload;
  // Whether the effect file would load: a first load that fails is fatal, so
  // author mode tries a file it has not loaded yet this way first. False with
  // "PATH:LINE: error: ..." (or that the file cannot be opened).
  static bool wouldLoad(const std::string& path, std::string& error);
  // While the show is being edited, an effect that does not compile on its first
  // load is a load that fails (its holder reports it) rather than a fatal stop.
  static void setBrokenFirstLoadIsFatal(bool fatal) { sBrokenFirstLoadIsFatal = fatal; }
  // The holder runs passes up to count - 1 by index: a reload must keep them.
  void requirePasses(u32 count) { mRequiredPasses = count > mRequiredPasses ? count : mRequiredPasses; }
  u32 getRequiredPasses() const { return mRequiredPasses; }

  virtual fx::Effect* getEffect() const { return mEffect; }
  virtual u32 getPassNum() const { return static_cast<u32>(mVecPass.size()); }

  // Sets every parameter whose name or semantic is `name`: 1-4 floats, 16 floats row
  // after row for float4x4, or one GL texture name for samplers. The value reaches GL
  // when a pass is set.
  void setParameter(const char* name, const void* value);
  // The same for a value of a known type: every parameter of the name is checked
  // first, and when one is declared with a type the value does not fit (a float for
  // a float2, say), nothing is set and one line names the file, the parameter and
  // both types. False when refused. A float4 fits 1 to 4 float components (the
  // leading ones are read), a float one, a float4x4 only float4x4, a texture samplers.
  enum class ValueType { Float, Float4, Float4x4, Texture };
  bool setParameter(const char* name, f32 value);
  bool setParameter(const char* name, const float4& value);
  bool setParameter(const char* name, const float4x4& value);
  bool setParameter(const char* name, TextureName texture);
  // Binds a GL matrix to every parameter whose name or semantic is `name`: bits 4-7 pick
  // the matrix (0x20 projection, 0x40 texture, 0x80 model-view-projection, otherwise
  // model-view), bits 0-3 the transform (0x2 transpose, 0x4 inverse, 0x8 inverse transpose).
  void setStateMatrix(const char* name, u32 flags);

  fx::Technique* getTechnique() const { return mTechnique; }
  // The chosen technique's passes, in the effect's order.
  const std::vector<fx::Pass*>& getPasses() const { return mVecPass; }
  // Every leaf parameter, depth first in declaration order.
  const std::vector<ShaderParam>& getParameters() const { return mVecParam; }

 protected:
  // Protected, not private: the parameter fuzzer builds an effect's table without
  // the shader manager, through a class of its own.
  fx::Effect* mEffect = nullptr;        // owned by the shader manager's context
  fx::Technique* mTechnique = nullptr;  // borrowed from mEffect
  std::vector<fx::Pass*> mVecPass;      // borrowed from mTechnique
  std::vector<ShaderParam> mVecParam;

 private:
  struct SetValue {
    u32 words[16];
    u32 count;  // 32-bit words that were read: floats, or 1 for a texture name
  };

  // The 32-bit words a value for this type holds; 0 for types that take none.
  static u32 wordsOf(u32 type);
  // Whether every parameter of the name takes a value of this type; reports the
  // first that does not (once per name).
  bool fitsDeclared(const char* name, ValueType value);
  std::set<std::string> mRefusedNames;

  std::map<std::string, SetValue> mSetValues;  // by the name or semantic used
  std::map<std::string, u32> mStateMatrices;
  u32 mRequiredPasses = 1;
  static bool sBrokenFirstLoadIsFatal;
  void collectParameters(fx::Parameter* pFirst, std::vector<ShaderParam>& parameters);
  // "FILE:LINE: error: ..." for the first parameter the engine sets by name or
  // semantic whose declared type the engine's value does not fit; empty when all fit.
  std::string checkEngineParameters(const std::vector<ShaderParam>& parameters) const;
};
