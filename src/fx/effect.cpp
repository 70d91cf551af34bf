// GL side of the effect runtime: program building and validation, the parameter tree,
// deferred uniform upload and the save/apply/restore of a pass's state.
#include "fx/effect.h"

#include "framework/matrix4.h"
#include "fx/gl_enums.h"
#include "platform/gl.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <unordered_set>

namespace fx {

// The reader spells these values out; they must be the loader's own.
#define ORVANE_SAME_ENUM(name) static_assert(glenum::name == GL_##name, #name)
ORVANE_SAME_ENUM(NEVER); ORVANE_SAME_ENUM(LESS); ORVANE_SAME_ENUM(EQUAL); ORVANE_SAME_ENUM(LEQUAL);
ORVANE_SAME_ENUM(GREATER); ORVANE_SAME_ENUM(NOTEQUAL); ORVANE_SAME_ENUM(GEQUAL); ORVANE_SAME_ENUM(ALWAYS);
ORVANE_SAME_ENUM(FRONT); ORVANE_SAME_ENUM(BACK); ORVANE_SAME_ENUM(FRONT_AND_BACK); ORVANE_SAME_ENUM(ZERO);
ORVANE_SAME_ENUM(ONE); ORVANE_SAME_ENUM(SRC_COLOR); ORVANE_SAME_ENUM(ONE_MINUS_SRC_COLOR); ORVANE_SAME_ENUM(SRC_ALPHA);
ORVANE_SAME_ENUM(ONE_MINUS_SRC_ALPHA); ORVANE_SAME_ENUM(DST_ALPHA); ORVANE_SAME_ENUM(ONE_MINUS_DST_ALPHA); ORVANE_SAME_ENUM(DST_COLOR);
ORVANE_SAME_ENUM(ONE_MINUS_DST_COLOR); ORVANE_SAME_ENUM(SRC_ALPHA_SATURATE); ORVANE_SAME_ENUM(CONSTANT_COLOR); ORVANE_SAME_ENUM(ONE_MINUS_CONSTANT_COLOR);
ORVANE_SAME_ENUM(FUNC_ADD); ORVANE_SAME_ENUM(MIN); ORVANE_SAME_ENUM(MAX); ORVANE_SAME_ENUM(FUNC_SUBTRACT);
ORVANE_SAME_ENUM(FUNC_REVERSE_SUBTRACT); ORVANE_SAME_ENUM(NEAREST); ORVANE_SAME_ENUM(LINEAR); ORVANE_SAME_ENUM(NEAREST_MIPMAP_NEAREST);
ORVANE_SAME_ENUM(LINEAR_MIPMAP_NEAREST); ORVANE_SAME_ENUM(NEAREST_MIPMAP_LINEAR); ORVANE_SAME_ENUM(LINEAR_MIPMAP_LINEAR); ORVANE_SAME_ENUM(CLAMP);
ORVANE_SAME_ENUM(REPEAT); ORVANE_SAME_ENUM(CLAMP_TO_BORDER); ORVANE_SAME_ENUM(CLAMP_TO_EDGE); ORVANE_SAME_ENUM(MIRRORED_REPEAT);
ORVANE_SAME_ENUM(TEXTURE_MAG_FILTER); ORVANE_SAME_ENUM(TEXTURE_MIN_FILTER); ORVANE_SAME_ENUM(TEXTURE_WRAP_S); ORVANE_SAME_ENUM(TEXTURE_WRAP_T);
ORVANE_SAME_ENUM(TEXTURE_WRAP_R); ORVANE_SAME_ENUM(TEXTURE_1D); ORVANE_SAME_ENUM(TEXTURE_2D); ORVANE_SAME_ENUM(TEXTURE_3D);
ORVANE_SAME_ENUM(TEXTURE_CUBE_MAP);
static_assert(glenum::TEXTURE_RECTANGLE == GL_TEXTURE_RECTANGLE_ARB);
#undef ORVANE_SAME_ENUM

namespace {

std::string* gpDiagnostics = nullptr;  // the innermost DiagnosticCapture's text

// Compile and link failures go to standard error and, while someone captures
// them, to that capture as well (author mode shows them on screen).
void report(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, arguments);
  va_end(arguments);
  std::fputs(text.c_str(), stderr);
  if (gpDiagnostics) *gpDiagnostics += text;
}

std::unordered_set<const Effect*>& liveEffects() {
  static std::unordered_set<const Effect*> effects;
  return effects;
}

std::set<Profile>& hiddenProfiles() {
  static std::set<Profile> profiles;
  return profiles;
}

void transpose(float* m, int size) {
  for (int row = 0; row < size; ++row) {
    for (int column = row + 1; column < size; ++column) {
      std::swap(m[row * size + column], m[column * size + row]);
    }
  }
}

// Gauss-Jordan with partial pivoting; a singular matrix leaves zeros, as nothing
// meaningful can be drawn with it anyway.
void invert(float* m) {
  double a[4][8];
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      a[row][column] = m[column * 4 + row];
      a[row][column + 4] = row == column ? 1.0 : 0.0;
    }
  }
  for (int column = 0; column < 4; ++column) {
    int pivot = column;
    for (int row = column + 1; row < 4; ++row) {
      if (std::abs(a[row][column]) > std::abs(a[pivot][column])) {
        pivot = row;
      }
    }
    if (a[pivot][column] == 0.0) {
      std::fill(m, m + 16, 0.0f);
      return;
    }
    std::swap(a[pivot], a[column]);
    const double scale = 1.0 / a[column][column];
    for (double& value : a[column]) {
      value *= scale;
    }
    for (int row = 0; row < 4; ++row) {
      if (row != column) {
        const double factor = a[row][column];
        for (int k = 0; k < 8; ++k) {
          a[row][k] -= factor * a[column][k];
        }
      }
    }
  }
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      m[column * 4 + row] = static_cast<float>(a[row][column + 4]);
    }
  }
}

GLenum capabilityOf(StateId id) {
  switch (id) {
    case StateId::DepthTestEnable:
      return GL_DEPTH_TEST;
    case StateId::CullFaceEnable:
      return GL_CULL_FACE;
    case StateId::BlendEnable:
      return GL_BLEND;
    case StateId::AlphaTestEnable:
      return GL_ALPHA_TEST;
    case StateId::PointSpriteEnable:
      return GL_POINT_SPRITE;
    case StateId::VertexProgramPointSizeEnable:
      return GL_VERTEX_PROGRAM_POINT_SIZE;
    default:
      return 0;
  }
}

// Reads the GL value a state assignment will overwrite.
void readState(StateId id, int* values, float& reference) {
  GLboolean flags[4] = {};
  switch (id) {
    case StateId::DepthMask:
      glGetBooleanv(GL_DEPTH_WRITEMASK, flags);
      values[0] = flags[0];
      return;
    case StateId::DepthFunc:
      glGetIntegerv(GL_DEPTH_FUNC, values);
      return;
    case StateId::CullFace:
      glGetIntegerv(GL_CULL_FACE_MODE, values);
      return;
    case StateId::BlendFunc:
      glGetIntegerv(GL_BLEND_SRC_RGB, &values[0]);
      glGetIntegerv(GL_BLEND_DST_RGB, &values[1]);
      glGetIntegerv(GL_BLEND_SRC_ALPHA, &values[2]);
      glGetIntegerv(GL_BLEND_DST_ALPHA, &values[3]);
      return;
    case StateId::BlendEquation:
      glGetIntegerv(GL_BLEND_EQUATION_RGB, &values[0]);
      glGetIntegerv(GL_BLEND_EQUATION_ALPHA, &values[1]);
      return;
    case StateId::AlphaFunc:
      glGetIntegerv(GL_ALPHA_TEST_FUNC, values);
      glGetFloatv(GL_ALPHA_TEST_REF, &reference);
      return;
    case StateId::ColorMask:
      glGetBooleanv(GL_COLOR_WRITEMASK, flags);
      for (int i = 0; i < 4; ++i) {
        values[i] = flags[i];
      }
      return;
    case StateId::PointSpriteCoordReplace:
      glActiveTexture(GL_TEXTURE0);
      glGetTexEnviv(GL_POINT_SPRITE, GL_COORD_REPLACE, values);
      return;
    default:
      values[0] = glIsEnabled(capabilityOf(id));
      return;
  }
}

// The one writer of pass states, used both to apply a pass and to put the old values back.
void writeState(StateId id, const int* values, float reference) {
  switch (id) {
    case StateId::DepthMask:
      glDepthMask(values[0] ? GL_TRUE : GL_FALSE);
      return;
    case StateId::DepthFunc:
      glDepthFunc(values[0]);
      return;
    case StateId::CullFace:
      glCullFace(values[0]);
      return;
    case StateId::BlendFunc:
      glBlendFuncSeparate(values[0], values[1], values[2], values[3]);
      return;
    case StateId::BlendEquation:
      glBlendEquationSeparate(values[0], values[1]);
      return;
    case StateId::AlphaFunc:
      glAlphaFunc(values[0], reference);
      return;
    case StateId::ColorMask:
      glColorMask(values[0] != 0, values[1] != 0, values[2] != 0, values[3] != 0);
      return;
    case StateId::PointSpriteCoordReplace:
      glActiveTexture(GL_TEXTURE0);
      glTexEnvi(GL_POINT_SPRITE, GL_COORD_REPLACE, values[0] ? GL_TRUE : GL_FALSE);
      return;
    default:
      (values[0] ? glEnable : glDisable)(capabilityOf(id));
      return;
  }
}

GLenum bindingQueryOf(GLenum target) {
  switch (target) {
    case GL_TEXTURE_1D:
      return GL_TEXTURE_BINDING_1D;
    case GL_TEXTURE_3D:
      return GL_TEXTURE_BINDING_3D;
    case GL_TEXTURE_CUBE_MAP:
      return GL_TEXTURE_BINDING_CUBE_MAP;
    case GL_TEXTURE_RECTANGLE_ARB:
      return GL_TEXTURE_BINDING_RECTANGLE_ARB;
    default:
      return GL_TEXTURE_BINDING_2D;
  }
}

std::string driverLog(GLuint object, bool program) {
  GLint length = 0;
  (program ? glGetProgramiv : glGetShaderiv)(object, GL_INFO_LOG_LENGTH, &length);
  std::string log(static_cast<std::size_t>(std::max(length, 1)), '\0');
  GLsizei written = 0;
  (program ? glGetProgramInfoLog : glGetShaderInfoLog)(object, static_cast<GLsizei>(log.size()), &written, log.data());
  log.resize(static_cast<std::size_t>(written));
  return log;
}

std::string describePass(const Technique& technique, const Pass& pass) {
  return "technique '" + technique.getName() + "', pass '" + pass.getName() + "'";
}

}  // namespace

const char* errorText(Error error) {
  switch (error) {
    case Error::None:
      return "no error";
    case Error::InvalidParameter:
      return "invalid parameter handle";
    case Error::InvalidParameterType:
      return "the value does not fit the parameter's type";
    case Error::TechniqueNotValid:
      return "the technique does not compile or link on this GL";
    case Error::GlError:
      return "GL reported an error";
  }
  return "unknown error";
}

// ---------------------------------------------------------------------------
// Parameter

Parameter* Parameter::getFirstStructParameter() const {
  return mType == TYPE_STRUCT && !mChildren.empty() ? mChildren.front() : nullptr;
}

int Parameter::getArraySize() const { return mType == TYPE_ARRAY ? static_cast<int>(mChildren.size()) : 0; }

Parameter* Parameter::getArrayParameter(int index) const {
  return mType == TYPE_ARRAY && index >= 0 && index < static_cast<int>(mChildren.size()) ? mChildren[index] : nullptr;
}

bool Parameter::checkSetter(bool fits, const char* what) {
  if (!fits) {
    mpEffect->getContext().raise(Error::InvalidParameterType,
                                 "parameter '" + mName + "' of " + mpEffect->getFileName() + " cannot take " + what);
  }
  return fits;
}

void Parameter::setFloats(const float* values, int count) {
  if (!checkSetter(mpInfo && mpInfo->kind != TypeKind::Sampler && mpInfo->rows == 1 && values && count >= mpInfo->components,
                   "this many values")) {
    return;
  }
  std::memcpy(mValue, values, sizeof(float) * mpInfo->components);
  changed();
}

void Parameter::setMatrixRows(const float* rows) {
  if (!checkSetter(mpInfo && mpInfo->rows > 1 && rows, "a matrix")) {
    return;
  }
  const int size = mpInfo->rows;
  std::memcpy(mValue, rows, sizeof(float) * size * size);
  transpose(mValue, size);
  changed();
}

void Parameter::setTexture(u32 textureName) {
  if (!checkSetter(mpInfo && mpInfo->kind == TypeKind::Sampler, "a texture")) {
    return;
  }
  mTexture = textureName;
  changed();
}

void Parameter::setStateMatrix(StateMatrix matrix, MatrixTransform transform) {
  if (!checkSetter(mpInfo && mpInfo->rows == 4, "a state matrix")) {
    return;
  }
  float value[16];
  switch (matrix) {
    case StateMatrix::ModelView:
      glGetFloatv(GL_MODELVIEW_MATRIX, value);
      break;
    case StateMatrix::Projection:
      glGetFloatv(GL_PROJECTION_MATRIX, value);
      break;
    case StateMatrix::Texture:
      glGetFloatv(GL_TEXTURE_MATRIX, value);
      break;
    case StateMatrix::ModelViewProjection: {
      float modelView[16];
      float projection[16];
      glGetFloatv(GL_MODELVIEW_MATRIX, modelView);
      glGetFloatv(GL_PROJECTION_MATRIX, projection);
      multiplyMatrix4(projection, modelView, value);
      break;
    }
  }
  if (transform == MatrixTransform::Inverse || transform == MatrixTransform::InverseTranspose) {
    invert(value);
  }
  if (transform == MatrixTransform::Transpose || transform == MatrixTransform::InverseTranspose) {
    transpose(value, 4);
  }
  std::memcpy(mValue, value, sizeof value);
  changed();
}

// ---------------------------------------------------------------------------
// Pass

Pass::~Pass() { release(); }

void Pass::release() {
  if (mProgram) {
    glDeleteProgram(mProgram);
    mProgram = 0;
  }
  mUniforms.clear();
  mSamplers.clear();
}

bool Pass::compile(const ProgramDecl& program, u32& shader) {
  const Effect& effect = mpTechnique->getEffect();
  const std::string source = buildProgramSource(effect.getDescription(), program);
  shader = glCreateShader(program.stage == Stage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled) {
    return true;
  }
  const std::string log = driverLog(shader, false);
  const int logLine = lineFromDriverLog(log);
  const int line = logLine > 0 ? logLine : program.line;
  report("%s:%d: error: %s program '%s' of %s does not compile\n%sdriver log:\n%s\n",
               effect.getFileName().c_str(), line, program.stage == Stage::Vertex ? "vertex" : "fragment",
               program.entry.c_str(), describePass(*mpTechnique, *this).c_str(),
               listLines(effect.getSource(), line, 2).c_str(), log.c_str());
  glDeleteShader(shader);
  shader = 0;
  return false;
}

bool Pass::build() {
  GLuint shaders[2] = {0, 0};
  const std::optional<ProgramDecl>* programs[2] = {&mpDecl->vertex, &mpDecl->fragment};
  for (int i = 0; i < 2; ++i) {
    if (*programs[i] && !compile(**programs[i], shaders[i])) {
      if (shaders[0]) {
        glDeleteShader(shaders[0]);
      }
      return false;
    }
  }
  if (!shaders[0] && !shaders[1]) {
    return true;  // a pass of render states only keeps fixed-function drawing
  }
  mProgram = glCreateProgram();
  for (GLuint shader : shaders) {
    if (shader) {
      glAttachShader(mProgram, shader);
      glDeleteShader(shader);  // freed with the program
    }
  }
  glLinkProgram(mProgram);
  GLint linked = GL_FALSE;
  glGetProgramiv(mProgram, GL_LINK_STATUS, &linked);
  const Effect& effect = mpTechnique->getEffect();
  if (!linked) {
    report("%s:%d: error: %s does not link\ndriver log:\n%s\n", effect.getFileName().c_str(), mpDecl->line,
                 describePass(*mpTechnique, *this).c_str(), driverLog(mProgram, true).c_str());
    release();
    return false;
  }

  GLint previousProgram = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
  glUseProgram(mProgram);
  int unit = 0;
  for (Parameter* leaf : effect.getLeafParameters()) {
    const GLint location = glGetUniformLocation(mProgram, leaf->getName().c_str());
    if (location < 0) {
      continue;  // not used by this program
    }
    if (leaf->mpInfo->kind == TypeKind::Sampler) {
      glUniform1i(location, unit);
      mSamplers.push_back({leaf, unit++, leaf->mpInfo->target, 0});
    } else {
      mUniforms.push_back({leaf, location, 0});
    }
  }
  glUseProgram(previousProgram);
  return true;
}

void Pass::upload(const UniformBinding& binding) {
  const Parameter& parameter = *binding.parameter;
  const TypeInfo& info = *parameter.mpInfo;
  const float* value = parameter.mValue;
  if (info.rows == 4) {
    glUniformMatrix4fv(binding.location, 1, GL_FALSE, value);
  } else if (info.rows == 3) {
    glUniformMatrix3fv(binding.location, 1, GL_FALSE, value);
  } else if (info.rows == 2) {
    glUniformMatrix2fv(binding.location, 1, GL_FALSE, value);
  } else if (info.kind == TypeKind::Float) {
    switch (info.components) {
      case 1:
        glUniform1fv(binding.location, 1, value);
        break;
      case 2:
        glUniform2fv(binding.location, 1, value);
        break;
      case 3:
        glUniform3fv(binding.location, 1, value);
        break;
      default:
        glUniform4fv(binding.location, 1, value);
        break;
    }
  } else {
    GLint integers[4];
    for (int i = 0; i < 4; ++i) {
      integers[i] = static_cast<GLint>(value[i]);
    }
    switch (info.components) {
      case 1:
        glUniform1iv(binding.location, 1, integers);
        break;
      case 2:
        glUniform2iv(binding.location, 1, integers);
        break;
      case 3:
        glUniform3iv(binding.location, 1, integers);
        break;
      default:
        glUniform4iv(binding.location, 1, integers);
        break;
    }
  }
}

void Pass::checkGl(const char* when) {
  Context& context = mpTechnique->getEffect().getContext();
  if (!context.glErrorChecks()) {
    return;
  }
  const GLenum error = glGetError();
  if (error != GL_NO_ERROR) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", error);
    context.raise(Error::GlError, std::string("GL error ") + code + " " + when + " " + describePass(*mpTechnique, *this) +
                                      " of " + mpTechnique->getEffect().getFileName());
  }
}

void Pass::setState() {
  if (!mpTechnique->validate()) {
    mpTechnique->getEffect().getContext().raise(
        Error::TechniqueNotValid, describePass(*mpTechnique, *this) + " of " + mpTechnique->getEffect().getFileName());
    return;
  }
  const bool saving = !mApplied;
  const std::vector<StateAssignment>& states = mpDecl->states;
  if (saving) {
    glGetIntegerv(GL_CURRENT_PROGRAM, &mSavedProgram);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &mSavedActiveTexture);
    mSavedStates.resize(states.size());
    for (std::size_t i = 0; i < states.size(); ++i) {
      readState(states[i].id, mSavedStates[i].values, mSavedStates[i].reference);
    }
    mApplied = true;
  }
  glUseProgram(mProgram);
  for (UniformBinding& binding : mUniforms) {
    if (binding.uploaded != binding.parameter->mVersion) {
      upload(binding);
      binding.uploaded = binding.parameter->mVersion;
    }
  }
  for (const StateAssignment& state : states) {
    const int values[4] = {static_cast<int>(state.values[0]), static_cast<int>(state.values[1]),
                           static_cast<int>(state.values[2]), static_cast<int>(state.values[3])};
    writeState(state.id, values, state.reference);
  }
  for (SamplerBinding& sampler : mSamplers) {
    glActiveTexture(GL_TEXTURE0 + sampler.unit);
    if (saving) {
      glGetIntegerv(bindingQueryOf(sampler.target), &sampler.saved);
    }
    const GLuint texture = sampler.parameter->mTexture;
    glBindTexture(sampler.target, texture);
    if (texture) {
      for (const SamplerStateAssignment& assignment : sampler.parameter->mSamplerStates) {
        glTexParameteri(sampler.target, assignment.parameter, static_cast<GLint>(assignment.value));
      }
    }
  }
  glActiveTexture(mSavedActiveTexture);
  checkGl("setting");
}

void Pass::resetState() {
  if (!mApplied) {
    return;
  }
  for (auto sampler = mSamplers.rbegin(); sampler != mSamplers.rend(); ++sampler) {
    glActiveTexture(GL_TEXTURE0 + sampler->unit);
    glBindTexture(sampler->target, static_cast<GLuint>(sampler->saved));
  }
  // Backwards, so a state assigned twice in the pass ends at its value from before.
  const std::vector<StateAssignment>& states = mpDecl->states;
  for (std::size_t i = states.size(); i-- > 0;) {
    writeState(states[i].id, mSavedStates[i].values, mSavedStates[i].reference);
  }
  glUseProgram(static_cast<GLuint>(mSavedProgram));
  glActiveTexture(mSavedActiveTexture);
  mApplied = false;
  checkGl("resetting");
}

// ---------------------------------------------------------------------------
// Technique

bool Technique::validate() {
  if (mValidity != Validity::Unknown) {
    return mValidity == Validity::Valid;
  }
  for (const std::unique_ptr<Pass>& pass : mPasses) {
    if (!pass->build()) {
      for (const std::unique_ptr<Pass>& built : mPasses) {
        built->release();
      }
      mValidity = Validity::Invalid;
      return false;
    }
  }
  mValidity = Validity::Valid;
  // llvmpipe generates a program's code at its first draw (tens of milliseconds):
  // one empty triangle with each pass's own states moves that cost to load time.
  const bool drawable = !glCheckFramebufferStatusEXT || glCheckFramebufferStatusEXT(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
  for (const std::unique_ptr<Pass>& pass : mPasses) {
    if (drawable && pass->mProgram) {
      pass->setState();
      glBegin(GL_TRIANGLES);
      for (int corner = 0; corner < 3; ++corner) {
        glVertex3f(0.0f, 0.0f, 0.0f);
      }
      glEnd();
      pass->resetState();
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Effect

Effect::Effect(Context& context, std::string fileName, std::string source, EffectDescription description)
    : mpContext(&context), mFileName(std::move(fileName)), mSource(std::move(source)), mDescription(std::move(description)) {
  Parameter* previous = nullptr;
  for (const ParameterDecl& decl : mDescription.parameters) {
    Parameter* parameter = buildParameter(decl.name, decl.semantic, decl.type, decl.arraySize, decl.line, &decl);
    (previous ? previous->mpNext : mpFirstParameter) = parameter;
    previous = parameter;
  }
  Technique* previousTechnique = nullptr;
  for (const TechniqueDecl& decl : mDescription.techniques) {
    auto technique = std::make_unique<Technique>();
    technique->mpEffect = this;
    technique->mpDecl = &decl;
    Pass* previousPass = nullptr;
    for (const PassDecl& passDecl : decl.passes) {
      auto pass = std::make_unique<Pass>();
      pass->mpTechnique = technique.get();
      pass->mpDecl = &passDecl;
      if (previousPass) {
        previousPass->mpNext = pass.get();
      }
      previousPass = pass.get();
      technique->mPasses.push_back(std::move(pass));
    }
    if (previousTechnique) {
      previousTechnique->mpNext = technique.get();
    }
    previousTechnique = technique.get();
    mTechniques.push_back(std::move(technique));
  }
  liveEffects().insert(this);
}

Effect::~Effect() { liveEffects().erase(this); }

Parameter* Effect::buildParameter(const std::string& name, const std::string& semantic, const std::string& type,
                                  int arraySize, int line, const ParameterDecl* decl) {
  mParameters.push_back(std::make_unique<Parameter>());
  Parameter* parameter = mParameters.back().get();
  parameter->mpEffect = this;
  parameter->mName = name;
  parameter->mSemantic = semantic;
  parameter->mLine = line;
  if (arraySize > 0) {
    parameter->mType = TYPE_ARRAY;
    for (int index = 0; index < arraySize; ++index) {
      parameter->mChildren.push_back(buildParameter(name + "[" + std::to_string(index) + "]", "", type, 0, line, nullptr));
    }
  } else if (const StructDecl* structure = mDescription.findStruct(type)) {
    parameter->mType = TYPE_STRUCT;
    for (const MemberDecl& member : structure->members) {
      parameter->mChildren.push_back(buildParameter(name + "." + member.name, member.semantic, member.type, member.arraySize, member.line, nullptr));
    }
  } else {
    parameter->mpInfo = findType(type);
    parameter->mType = parameter->mpInfo->code;
    mLeaves.push_back(parameter);
    if (decl) {
      std::copy(decl->initialValue.begin(), decl->initialValue.end(), parameter->mValue);
      if (parameter->mpInfo->rows > 1 && !decl->initialValue.empty()) {
        transpose(parameter->mValue, parameter->mpInfo->rows);  // written row after row
      }
      parameter->mSamplerStates = decl->samplerStates;
    }
  }
  // Members form a chain like the top level; array elements are reached by index only,
  // so a walk from one element does not run on through its siblings.
  if (parameter->mType == TYPE_STRUCT) {
    for (std::size_t i = 1; i < parameter->mChildren.size(); ++i) {
      parameter->mChildren[i - 1]->mpNext = parameter->mChildren[i];
    }
  }
  return parameter;
}

// ---------------------------------------------------------------------------
// Context

Context::Context() = default;

Context::~Context() {
  while (!mEffects.empty()) {
    destroyEffect(mEffects.back().get());
  }
}

Effect* Context::createEffect(const char* source, const char* fileName) {
  return createEffect(std::string_view(source ? source : ""), fileName);
}

Effect* Context::createEffect(std::string_view source, const char* fileName) {
  const std::string name = fileName ? fileName : "(effect)";
  const std::string text(source);
  EffectDescription description;
  SourceError error;
  if (!parseEffect(text, description, error)) {
    report("%s:%d: error: %s\n", name.c_str(), error.line, error.message.c_str());
    return nullptr;
  }
  mEffects.push_back(std::make_unique<Effect>(*this, name, text, std::move(description)));
  return mEffects.back().get();
}

void Context::destroyEffect(Effect* effect) {
  const auto found = std::find_if(mEffects.begin(), mEffects.end(),
                                  [effect](const std::unique_ptr<Effect>& owned) { return owned.get() == effect; });
  if (found != mEffects.end()) {
    mEffects.erase(found);
  }
}

bool Context::isEffect(const Effect* effect) { return effect && liveEffects().count(effect) > 0; }

bool Context::isProfileSupported(Profile profile) {
  if (hiddenProfiles().count(profile)) {
    return false;
  }
  if (profile != Profile::GlslVertex && profile != Profile::GlslFragment) {
    return false;
  }
  if (!GLEW_VERSION_2_0) {
    return false;
  }
  const char* version = reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION));
  if (!version) {
    return false;
  }
  int major = 0;
  int minor = 0;
  if (std::sscanf(version, "%d.%d", &major, &minor) != 2) {
    return false;
  }
  return major > 1 || (major == 1 && minor >= 20);
}

void Context::hideProfile(Profile profile, bool hidden) {
  if (hidden) {
    hiddenProfiles().insert(profile);
  } else {
    hiddenProfiles().erase(profile);
  }
}

Error Context::getError() {
  const Error error = mError;
  mError = Error::None;
  mErrorString.clear();
  return error;
}

const char* Context::getLastErrorString(Error* error) const {
  if (error) {
    *error = mError;
  }
  return mError == Error::None ? errorText(Error::None) : mErrorString.c_str();
}

void Context::raise(Error error, const std::string& detail) {
  if (mError == Error::None) {
    mError = error;
    mErrorString = std::string(errorText(error)) + ": " + detail;
  }
  if (mCallback) {
    mCallback();
  }
}

DiagnosticCapture::DiagnosticCapture() : mpOuter(gpDiagnostics) { gpDiagnostics = &mText; }

DiagnosticCapture::~DiagnosticCapture() { gpDiagnostics = mpOuter; }

}  // namespace fx
