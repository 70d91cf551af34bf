// resTexture: an image file decoded into a power-of-two pixel buffer (BMP, JPEG,
// PNG, Radiance HDR, TGA) or a DDS texture or cube map uploaded as it is stored,
// handed to the texture manager.
// Main thread with the GL context current. Does not: resample or mipmap 2D pictures.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/types.h"
#include "resource/resource_object.h"

class textureManager;

class resTexture : public resourceObject {
  VELL_CLASS(resTexture, resourceObject)
 public:
  // Pixel formats of mpPixels; only the low byte of mFormat is examined.
  static constexpr u32 FORMAT_RGB = 1;
  static constexpr u32 FORMAT_RGBA = 2;
  static constexpr u32 FORMAT_RGBE = 3;
  static constexpr u32 FORMAT_DXT1_CUBE = 4;  // any DDS cube map, uploaded by the loader
  static constexpr u32 FORMAT_DDS_2D = 5;     // a 2D DDS texture, uploaded by the loader; no pixels kept

  // Buffers above this many pixels are refused before they are allocated (256 MiB
  // as RGBA): a small file can claim far more than it holds.
  static constexpr u64 kMaxTexturePixels = u64{8192} * 8192;

  resTexture() = default;
  ~resTexture() override;

  // Decodes the file and uploads it; false (with a message on standard error and
  // in getLoadError) when the file is unreadable, larger than the card or the
  // memory allows. An upper-case ".HDR", ".DDS" or ".TGA" extension is fatal.
  // PNG files are taken as BMP and JPEG are.
  bool load(VellFileStream& sIn) override;
  const char* getExtensionMask() const override { return "bmp|jpg|jpeg|png|dds|hdr|tga"; }
  // Decodes the file again into the same GL texture name, so that every holder
  // of the name or of this object draws the new picture; a refused file leaves
  // the old picture.
  bool reload(std::string& error) override;

  // True for "bmp", "jpg", "jpeg" and "gif" in any letter case.
  static bool isIPictureFile(const VellFileStream& sIn);

  u32 getWidth() const { return mWidth; }
  u32 getHeight() const { return mHeight; }
  u32 getBitsPerPixel() const { return mBitsPerPixel; }
  u32 getFormat() const { return mFormat; }
  f32 getScaleU() const { return mScaleU; }
  f32 getScaleV() const { return mScaleV; }
  // mWidth * mHeight * mBitsPerPixel / 8 bytes, row 0 first; null for a cube map.
  const u8* getPixels() const { return mpPixels.get(); }
  const std::string& getLoadError() const { return mLoadError; }

 private:
  friend class textureManager;  // converts RGBE to RGBA in place at upload
  friend struct TextureDecodingProbe;  // the fuzzing harness: decoding without an upload

  bool loadByExtension(VellFileStream& sIn);
  bool loadPicture(VellFileStream& sIn, const std::vector<u8>& file);
  bool loadHdr(const std::vector<u8>& file);
  bool loadDds(const std::vector<u8>& file);
  bool loadTga(const std::vector<u8>& file);
  bool readWholeFile(VellFileStream& sIn, std::vector<u8>& file);
  void uploadToNewTexture();
  // The name an upload goes to: the reloaded texture's own, or a new one.
  u32 uploadTextureId();
  // Sets mWidth and mHeight to the sides' power-of-two rounding and allocates the
  // cleared buffer; false (with the message) above kMaxTexturePixels.
  bool allocatePixels(u32 imageWidth, u32 imageHeight, u32 bytesPerPixel);
  // False (with the message, the pixels freed) when the buffer is larger than
  // the card's largest texture.
  bool fitsTheCard();
  bool fail(const std::string& problem);

  u32 mWidth = 0;
  u32 mHeight = 0;
  u32 mBitsPerPixel = 0;
  std::unique_ptr<u8[]> mpPixels;
  u32 mFormat = 0;
  f32 mScaleU = 0.0f;
  f32 mScaleV = 0.0f;
  std::string mLoadError;
  u32 mReloadId = 0;  // while reloading: the name the new version replaces
};

// The smallest power of two not below n (n >= 1): 1 -> 1, 3 -> 4, 600 -> 1024.
u32 roundUpToPowerOfTwo(u32 n);
