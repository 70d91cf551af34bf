// The colour ramp drawn into the picture: a copy of the framebuffer, a 256 x 1
// lookup texture and a small GLSL program. Main thread, GL context current.
#include "platform/colour_ramp_pass.h"

#include <GL/glew.h>

#include <cstdio>

namespace platform {
namespace {

const char* const kVertexSource =
    "varying vec2 pictureCoord;\n"
    "uniform vec2 coverage;\n"
    "void main() {\n"
    "  pictureCoord = gl_Vertex.xy * coverage;\n"
    "  gl_Position = vec4(gl_Vertex.xy * 2.0 - 1.0, 0.0, 1.0);\n"
    "}\n";

// Each channel picks its own ramp entry: the 8-bit value's texel centre.
const char* const kFragmentSource =
    "varying vec2 pictureCoord;\n"
    "uniform sampler2D picture;\n"
    "uniform sampler2D ramp;\n"
    "void main() {\n"
    "  vec4 colour = texture2D(picture, pictureCoord);\n"
    "  vec3 at = (floor(colour.rgb * 255.0 + 0.5) + 0.5) / 256.0;\n"
    "  gl_FragColor = vec4(texture2D(ramp, vec2(at.r, 0.5)).r, texture2D(ramp, vec2(at.g, 0.5)).g,\n"
    "                      texture2D(ramp, vec2(at.b, 0.5)).b, colour.a);\n"
    "}\n";

GLuint compile(GLenum kind, const char* source) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    char log[512] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    std::fprintf(stderr, "orvane: the picture gamma pass does not compile: %s\n", log);
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

int roundUpPowerOfTwo(int value) {
  int size = 1;
  while (size < value) size <<= 1;
  return size;
}

}  // namespace

ColourRampPass::ColourRampPass(const u16* red, const u16* green, const u16* blue) {
  for (int i = 0; i < 256; ++i) {
    mTable[3 * i] = static_cast<u8>((red[i] * 255u + 32767u) / 65535u);
    mTable[3 * i + 1] = static_cast<u8>((green[i] * 255u + 32767u) / 65535u);
    mTable[3 * i + 2] = static_cast<u8>((blue[i] * 255u + 32767u) / 65535u);
  }
}

ColourRampPass::~ColourRampPass() { release(); }

void ColourRampPass::release() {
  if (mProgram) glDeleteProgram(mProgram);
  if (mRampTexture) glDeleteTextures(1, &mRampTexture);
  if (mPictureTexture) glDeleteTextures(1, &mPictureTexture);
  mProgram = mRampTexture = mPictureTexture = 0;
  mTextureWidth = mTextureHeight = 0;
}

bool ColourRampPass::prepare(int width, int height) {
  if (!mProgram) {
    GLuint vertex = compile(GL_VERTEX_SHADER, kVertexSource);
    GLuint fragment = compile(GL_FRAGMENT_SHADER, kFragmentSource);
    if (!vertex || !fragment) {
      if (vertex) glDeleteShader(vertex);
      if (fragment) glDeleteShader(fragment);
      return false;
    }
    mProgram = glCreateProgram();
    glAttachShader(mProgram, vertex);
    glAttachShader(mProgram, fragment);
    glLinkProgram(mProgram);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint linked = GL_FALSE;
    glGetProgramiv(mProgram, GL_LINK_STATUS, &linked);
    if (!linked) return false;
  }
  if (!mRampTexture) {
    glGenTextures(1, &mRampTexture);
    glBindTexture(GL_TEXTURE_2D, mRampTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, 256, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, mTable);
  }
  // Cards without non-power-of-two textures get the next power up; the pass
  // then reads only the covered part.
  const int textureWidth = GLEW_ARB_texture_non_power_of_two ? width : roundUpPowerOfTwo(width);
  const int textureHeight = GLEW_ARB_texture_non_power_of_two ? height : roundUpPowerOfTwo(height);
  if (!mPictureTexture || textureWidth != mTextureWidth || textureHeight != mTextureHeight) {
    if (!mPictureTexture) glGenTextures(1, &mPictureTexture);
    glBindTexture(GL_TEXTURE_2D, mPictureTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, textureWidth, textureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    mTextureWidth = textureWidth;
    mTextureHeight = textureHeight;
  }
  return true;
}

bool ColourRampPass::apply(int width, int height) {
  if (mFailed || width <= 0 || height <= 0) return false;
  GLint previousProgram = 0;
  glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
  glPushAttrib(GL_ALL_ATTRIB_BITS);
  glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  const bool ready = prepare(width, height);
  if (ready) {
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_STENCIL_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, width, height);

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, mPictureTexture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, mRampTexture);

    glUseProgram(mProgram);
    glUniform1i(glGetUniformLocation(mProgram, "picture"), 0);
    glUniform1i(glGetUniformLocation(mProgram, "ramp"), 1);
    glUniform2f(glGetUniformLocation(mProgram, "coverage"), static_cast<float>(width) / mTextureWidth,
                static_cast<float>(height) / mTextureHeight);
    glBegin(GL_TRIANGLE_STRIP);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(1.0f, 0.0f);
    glVertex2f(0.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glEnd();
  }
  glUseProgram(static_cast<GLuint>(previousProgram));
  glPopClientAttrib();
  glPopAttrib();
  if (!ready) {
    mFailed = true;
    release();
  }
  return ready;
}

}  // namespace platform
