// textureManager: the table from GL texture names to the resTexture each holds;
// hands out names, creates 2D textures from decoded pixels, deletes every name at
// exit. Main thread with the GL context current (lookups need no context).
#pragma once

#include <cstddef>
#include <map>

#include "framework/types.h"
#include "framework/vell_object.h"

class resTexture;

class textureManager : public VellObject {
  VELL_CLASS(textureManager, VellObject)
 public:
  inline static textureManager* mpThis = nullptr;

  textureManager();
  ~textureManager() override;

  // Reserves one GL texture name, entered with no texture yet.
  u32 newTextureId();
  // Creates the 2D texture from pTexture's pixels (RGBE converted to RGBA first)
  // and registers it under id.
  void uploadTexture(u32 id, resTexture* pTexture);
  // Ties a reserved name to its texture; a name not handed out here is fatal.
  void registerTexture(u32 id, resTexture* pTexture);
  // The name holding pTexture; fatal when none does (never uploaded, or failed).
  u32 getTextureId(const resTexture* pTexture) const;
  // Called by the entry at exit; the entries stay in the table.
  void deleteAllTextures();
  // Called by a texture being destroyed: its entry stays (the name is deleted at
  // exit) but no longer points at it.
  void forgetTexture(const resTexture* pTexture);

  const std::map<u32, resTexture*>& getTextureTable() const { return mTextureMap; }

  // The largest side a texture may have: the card's GL_MAX_TEXTURE_SIZE, asked
  // once a context answers; kFallbackTextureSide until then. A non-zero limit
  // set here (tests) takes its place.
  u32 getMaxTextureSide();
  void setMaxTextureSideForTesting(u32 side) { mTestSideLimit = side; }
  static constexpr u32 kFallbackTextureSide = 16384;

 private:
  u32 mCardSideLimit = 0;  // 0 until asked with a context current
  u32 mTestSideLimit = 0;

  std::map<u32, resTexture*> mTextureMap;  // textures borrowed; null while reserved
};

// RGBE to 8-bit RGBA in place: each of R, G, B becomes round(value * 2^(E - 128)),
// limited to 255; the fourth byte becomes 255.
void convertRgbeToRgba(u8* pPixels, std::size_t pixelCount);
