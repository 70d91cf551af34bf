// The effect runtime: GLSL programs built from effect files, technique validation, the
// parameter tree with deferred values, and a pass's state applied and put back. Main
// thread, with the effects' GL context current. Does not: set values in GL outside setState.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/types.h"
#include "fx/effect_source.h"

namespace fx {

// Errors stay recorded until getError() reads them, so a check after a run of calls
// sees a failure of any of them.
enum class Error : u32 {
  None = 0,
  InvalidParameter,      // a null parameter handle
  InvalidParameterType,  // a setter that does not fit the parameter's type
  TechniqueNotValid,     // a pass of a technique that does not compile or link here
  GlError,               // GL reported an error around a pass (when GL checks are on)
};
const char* errorText(Error error);

enum class StateMatrix : u8 { ModelView, Projection, Texture, ModelViewProjection };
enum class MatrixTransform : u8 { Identity, Transpose, Inverse, InverseTranspose };

class Context;
class Effect;
class Technique;
class Pass;

// One node of an effect's parameter tree: a struct, an array or a leaf. Leaves hold
// their value until a pass whose program uses them is set.
class Parameter {
 public:
  const std::string& getName() const { return mName; }  // "lights[1].color" for nested leaves
  const std::string& getSemantic() const { return mSemantic; }
  u32 getType() const { return mType; }
  const TypeInfo* getTypeInfo() const { return mpInfo; }  // null for structs and arrays
  int getLine() const { return mLine; }  // of its declaration (the member's, inside a struct)
  Parameter* getNext() const { return mpNext; }
  Parameter* getFirstStructParameter() const;
  int getArraySize() const;
  Parameter* getArrayParameter(int index) const;

  void setFloats(const float* values, int count);  // scalars and vectors
  void setMatrixRows(const float* rows);           // NxN matrices, row after row
  void setTexture(u32 textureName);                // samplers; sampler_state applies when bound
  // Takes GL's current matrix now; it reaches the program at the next setState.
  void setStateMatrix(StateMatrix matrix, MatrixTransform transform);

  const float* getValue() const { return mValue; }  // column-major for matrices
  u32 getTexture() const { return mTexture; }

 private:
  friend class Effect;
  friend class Pass;
  bool checkSetter(bool fits, const char* what);
  void changed() { ++mVersion; }

  Effect* mpEffect = nullptr;  // borrowed: the owner
  const TypeInfo* mpInfo = nullptr;
  std::string mName;
  std::string mSemantic;
  u32 mType = TYPE_UNKNOWN;
  int mLine = 0;
  Parameter* mpNext = nullptr;
  std::vector<Parameter*> mChildren;  // struct members or array elements
  float mValue[16] = {};
  u32 mTexture = 0;
  u64 mVersion = 1;
  std::vector<SamplerStateAssignment> mSamplerStates;
};

class Pass {
 public:
  ~Pass();
  const std::string& getName() const { return mpDecl->name; }
  Pass* getNext() const { return mpNext; }
  Technique& getTechnique() const { return *mpTechnique; }
  u32 getProgram() const { return mProgram; }

  // Uses the program, sends the values changed since this pass was last set, applies
  // the render states and binds the sampler textures. Setting it again before the
  // reset keeps the values saved by the first set.
  void setState();
  // Puts back what setState changed: states, texture bindings, program, active unit.
  void resetState();

 private:
  friend class Technique;
  friend class Effect;
  struct UniformBinding {
    Parameter* parameter;
    int location;
    u64 uploaded;
  };
  struct SamplerBinding {
    Parameter* parameter;
    int unit;
    u32 target;
    int saved;
  };
  struct SavedState {
    int values[4];
    float reference;
  };

  bool build();
  bool compile(const ProgramDecl& program, u32& shader);
  void release();
  void upload(const UniformBinding& binding);
  void checkGl(const char* when);

  Technique* mpTechnique = nullptr;
  const PassDecl* mpDecl = nullptr;
  Pass* mpNext = nullptr;
  u32 mProgram = 0;
  std::vector<UniformBinding> mUniforms;
  std::vector<SamplerBinding> mSamplers;
  bool mApplied = false;
  int mSavedProgram = 0;
  int mSavedActiveTexture = 0;
  std::vector<SavedState> mSavedStates;
};

class Technique {
 public:
  const std::string& getName() const { return mpDecl->name; }
  int getLine() const { return mpDecl->line; }  // where its declaration starts
  Technique* getNext() const { return mpNext; }
  Pass* getFirstPass() const { return mPasses.empty() ? nullptr : mPasses.front().get(); }
  Effect& getEffect() const { return *mpEffect; }

  // True when every pass compiles and links on the running GL; decided once. A failure
  // prints the file, technique, pass, the source lines around the error and the driver log.
  bool validate();

 private:
  friend class Effect;
  enum class Validity { Unknown, Valid, Invalid };
  Effect* mpEffect = nullptr;
  const TechniqueDecl* mpDecl = nullptr;
  Technique* mpNext = nullptr;
  std::vector<std::unique_ptr<Pass>> mPasses;
  Validity mValidity = Validity::Unknown;
};

class Effect {
 public:
  Effect(Context& context, std::string fileName, std::string source, EffectDescription description);
  ~Effect();
  Effect(const Effect&) = delete;
  Effect& operator=(const Effect&) = delete;

  Technique* getFirstTechnique() const { return mTechniques.empty() ? nullptr : mTechniques.front().get(); }
  Parameter* getFirstParameter() const { return mpFirstParameter; }
  const std::vector<Parameter*>& getLeafParameters() const { return mLeaves; }
  Context& getContext() const { return *mpContext; }
  const std::string& getFileName() const { return mFileName; }
  const std::string& getSource() const { return mSource; }
  const EffectDescription& getDescription() const { return mDescription; }

 private:
  Parameter* buildParameter(const std::string& name, const std::string& semantic, const std::string& type, int arraySize, int line,
                            const ParameterDecl* decl);

  Context* mpContext;  // borrowed: the context owns the effect
  std::string mFileName;
  std::string mSource;
  EffectDescription mDescription;
  std::vector<std::unique_ptr<Parameter>> mParameters;  // every node
  std::vector<Parameter*> mLeaves;                      // depth first, file order
  Parameter* mpFirstParameter = nullptr;
  std::vector<std::unique_ptr<Technique>> mTechniques;
};

using ErrorCallback = void (*)();

// While one lives, the compile and link failures the runtime prints (each
// starting "FILE:LINE: error: ") are also collected here. Main thread only.
class DiagnosticCapture {
 public:
  DiagnosticCapture();
  ~DiagnosticCapture();
  DiagnosticCapture(const DiagnosticCapture&) = delete;
  DiagnosticCapture& operator=(const DiagnosticCapture&) = delete;
  const std::string& text() const { return mText; }

 private:
  std::string mText;
  std::string* mpOuter;
};

class Context {
 public:
  Context();
  // Destroys the effects still alive; call it while their GL context is current.
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // The effect, or null when the text is not a well-formed effect (the reason, with
  // file and line, goes to standard error). Techniques are validated on demand.
  Effect* createEffect(const char* source, const char* fileName);
  // The same for text that may hold zero bytes, which are then reported as damage.
  Effect* createEffect(std::string_view source, const char* fileName);
  void destroyEffect(Effect* effect);
  // Whether the pointer is an effect that is still alive (in any context).
  static bool isEffect(const Effect* effect);

  // GLSL vertex and fragment programs need GL 2.0 and GLSL 1.20 on the current context.
  static bool isProfileSupported(Profile profile);
  // Makes a profile look unsupported, to rehearse a card that lacks it.
  static void hideProfile(Profile profile, bool hidden);

  void setErrorCallback(ErrorCallback callback) { mCallback = callback; }
  // Returns the recorded error and clears it.
  Error getError();
  // The recorded error and its description, left recorded.
  const char* getLastErrorString(Error* error) const;
  void raise(Error error, const std::string& detail);

  // Checks glGetError around passes; on by default in debug builds.
  void setGlErrorChecks(bool enabled) { mGlErrorChecks = enabled; }
  bool glErrorChecks() const { return mGlErrorChecks; }

 private:
  std::vector<std::unique_ptr<Effect>> mEffects;
  ErrorCallback mCallback = nullptr;
  Error mError = Error::None;
  std::string mErrorString;
#ifdef NDEBUG
  bool mGlErrorChecks = false;
#else
  bool mGlErrorChecks = true;
#endif
};

}  // namespace fx
