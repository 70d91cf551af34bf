// The texture name table, 2D uploads and the RGBE conversion; the one static textureManager.
#include "resource/texture_manager.h"

#include "platform/gl.h"

#include <cmath>

#include "framework/critical_check.h"
#include "framework/vell_manager.h"
#include "resource/res_texture.h"

namespace {
textureManager gTextureManager;
}

textureManager::textureManager() { vell::registerManager(mpThis, this); }

textureManager::~textureManager() { vell::unregisterManager(mpThis); }

u32 textureManager::newTextureId() {
  GLuint id = 0;
  glGenTextures(1, &id);
  mTextureMap[id] = nullptr;
  return id;
}

void textureManager::registerTexture(u32 id, resTexture* pTexture) {
  const bool isFound = mTextureMap.find(id) != mTextureMap.end();
  CRITICAL_CHECK(isFound, "texture id must be provided from textureManager.");
  mTextureMap[id] = pTexture;
}

u32 textureManager::getTextureId(const resTexture* pTexture) const {
  for (const auto& [id, pHeld] : mTextureMap) {
    if (pHeld == pTexture && pHeld) return id;
  }
  CRITICAL_CHECK(0, "texture id not found.");
  return 0;
}

void textureManager::forgetTexture(const resTexture* pTexture) {
  for (auto& entry : mTextureMap) {
    if (entry.second == pTexture) entry.second = nullptr;
  }
}

void textureManager::deleteAllTextures() {
  glEnable(GL_TEXTURE_2D);
  for (const auto& entry : mTextureMap) {
    const GLuint id = entry.first;
    glDeleteTextures(1, &id);
  }
  glDisable(GL_TEXTURE_2D);
}

u32 textureManager::getMaxTextureSide() {
  if (mTestSideLimit) return mTestSideLimit;
  if (mCardSideLimit == 0) {
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    if (side > 0) mCardSideLimit = static_cast<u32>(side);
  }
  return mCardSideLimit ? mCardSideLimit : kFallbackTextureSide;
}

void convertRgbeToRgba(u8* pPixels, std::size_t pixelCount) {
  for (std::size_t i = 0; i < pixelCount; ++i, pPixels += 4) {
    const int exponent = static_cast<int>(pPixels[3]) - 128;
    for (int c = 0; c < 3; ++c) {
      const double value = std::ldexp(static_cast<double>(pPixels[c]), exponent);
      const long rounded = std::lround(value);
      pPixels[c] = static_cast<u8>(rounded > 255 ? 255 : rounded);
    }
    pPixels[3] = 255;
  }
}

void textureManager::uploadTexture(u32 id, resTexture* pTexture) {
  CRITICAL_CHECK(pTexture, "pTexture can't be null");
  bool isFound = false;
  for (const auto& entry : mTextureMap) {
    if (entry.first == id) {
      isFound = true;
      break;
    }
  }
  CRITICAL_CHECK(isFound, "texture id must be provided from textureManager.");

  GLint previousBinding = 0;
  GLint previousAlignment = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousBinding);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

  if ((pTexture->mFormat & 0xFF) == resTexture::FORMAT_RGBE) {
    convertRgbeToRgba(pTexture->mpPixels.get(), static_cast<std::size_t>(pTexture->mWidth) * pTexture->mHeight);
    pTexture->mFormat = resTexture::FORMAT_RGBA;
  }
  const GLsizei width = static_cast<GLsizei>(pTexture->mWidth);
  const GLsizei height = static_cast<GLsizei>(pTexture->mHeight);
  switch (pTexture->mFormat & 0xFF) {
    case resTexture::FORMAT_RGB:
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pTexture->mpPixels.get());
      break;
    case resTexture::FORMAT_RGBA:
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                   pTexture->mpPixels.get());
      break;
    default:
      CRITICAL_CHECK(0, "Unsupported.");
  }
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previousBinding));
  glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
  registerTexture(id, pTexture);
}
