// Texture loading: the dispatch by extension, the picture path (padding, colour
// key or the file's own alpha), the HDR, DDS and TGA paths with their uploads, and
// the size limits every path shares.
#include "resource/res_texture.h"

#include "platform/gl.h"

#include <cstdio>
#include <cstring>

#include "framework/critical_check.h"
#include "framework/vell_file.h"
#include "platform/picture_decoder.h"
#include "resource/dds_reader.h"
#include "resource/hdr_reader.h"
#include "resource/texture_manager.h"
#include "resource/tga_reader.h"

namespace {

bool equalsIgnoringCase(const std::string& text, const char* pWord) {
  const std::size_t length = std::strlen(pWord);
  if (text.size() != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != pWord[i]) return false;
  }
  return true;
}

}  // namespace

u32 roundUpToPowerOfTwo(u32 n) {
  u32 side = 1;
  while (side < n && side < 0x80000000u) side <<= 1;
  return side;
}

resTexture::~resTexture() {
  // The table keeps the GL name until exit, but must not keep a pointer that a
  // later texture allocated at the same address would match.
  if (textureManager::mpThis) textureManager::mpThis->forgetTexture(this);
}

bool resTexture::isIPictureFile(const VellFileStream& sIn) {
  const std::string& extension = sIn.getExtension();
  return equalsIgnoringCase(extension, "bmp") || equalsIgnoringCase(extension, "jpg") ||
         equalsIgnoringCase(extension, "jpeg") || equalsIgnoringCase(extension, "gif");
}

bool resTexture::load(VellFileStream& sIn) {
  resourceObject::load(sIn);
  mLoadError.clear();
  // Whatever a file claims, running out of memory refuses it like any bad file.
  try {
    return loadByExtension(sIn);
  } catch (const std::bad_alloc&) {
    mpPixels.reset();
    return fail("not enough memory to decode it");
  }
}

bool resTexture::loadByExtension(VellFileStream& sIn) {
  // Tools on other systems write "X.TGA" as readily as "x.tga"; the resource
  // manager's mask already takes either, so every case reaches its reader here.
  const std::string extension = sIn.getExtension();
  std::vector<u8> file;
  if (isIPictureFile(sIn) || equalsIgnoringCase(extension, "png")) {
    if (!readWholeFile(sIn, file) || !loadPicture(sIn, file) || !fitsTheCard()) return false;
    uploadToNewTexture();
    return true;
  }
  if (equalsIgnoringCase(extension, "hdr")) {
    return readWholeFile(sIn, file) && loadHdr(file);
  }
  if (equalsIgnoringCase(extension, "dds")) {
    return readWholeFile(sIn, file) && loadDds(file);
  }
  if (equalsIgnoringCase(extension, "tga")) {
    if (!readWholeFile(sIn, file) || !loadTga(file) || !fitsTheCard()) return false;
    mFormat = mBitsPerPixel == 24 ? FORMAT_RGB : FORMAT_RGBA;
    uploadToNewTexture();
    return true;
  }
  CRITICAL_CHECK(0, "currently unsupported file.");
  return false;
}

bool resTexture::readWholeFile(VellFileStream& sIn, std::vector<u8>& file) {
  const u64 size = sIn.getSize();
  file.resize(static_cast<std::size_t>(size));
  const u64 got = size ? sIn.read(file.data(), size) : 0;
  if (got != size) {
    return fail("only " + std::to_string(got) + " of " + std::to_string(size) + " bytes could be read");
  }
  if (file.empty()) return fail("the file is empty");
  return true;
}

bool resTexture::fail(const std::string& problem) {
  mLoadError = problem;
  // A reload reports through author mode's one line.
  if (!mReloadId) std::fprintf(stderr, "orvane: cannot load texture \"%s\": %s\n", getPath().c_str(), problem.c_str());
  return false;
}

bool resTexture::allocatePixels(u32 imageWidth, u32 imageHeight, u32 bytesPerPixel) {
  mWidth = roundUpToPowerOfTwo(imageWidth);
  mHeight = roundUpToPowerOfTwo(imageHeight);
  const u64 pixels = static_cast<u64>(mWidth) * mHeight;
  if (pixels > kMaxTexturePixels) {
    const std::string size = std::to_string(mWidth) + " x " + std::to_string(mHeight);
    mWidth = mHeight = 0;
    return fail("a " + std::to_string(imageWidth) + " x " + std::to_string(imageHeight) + " picture needs a " +
                size + " texture, more than the " + std::to_string(kMaxTexturePixels) + " pixels a texture may have");
  }
  // Cleared, so the padding outside the picture is transparent black.
  mpPixels.reset(new u8[static_cast<std::size_t>(pixels) * bytesPerPixel]());
  return true;
}

bool resTexture::fitsTheCard() {
  const u32 limit = textureManager::mpThis->getMaxTextureSide();
  if (mWidth <= limit && mHeight <= limit) return true;
  const std::string size = std::to_string(mWidth) + " x " + std::to_string(mHeight);
  mpPixels.reset();
  return fail("the " + size + " texture is larger than the " + std::to_string(limit) +
              " pixels a side the graphics card takes");
}

void resTexture::uploadToNewTexture() {
  textureManager& manager = *textureManager::mpThis;
  manager.uploadTexture(uploadTextureId(), this);
}

u32 resTexture::uploadTextureId() {
  return mReloadId ? mReloadId : textureManager::mpThis->newTextureId();
}

bool resTexture::reload(std::string& error) {
  textureManager& manager = *textureManager::mpThis;
  const u32 id = manager.getTextureId(this);
  VellFile file;
  VellFileStream stream(&file);
  if (!file.open(getPath().c_str())) {
    error = getPath() + ":0: the file cannot be opened";
    return false;
  }
  resTexture next;
  next.mReloadId = id;
  if (!next.load(stream)) {
    error = getPath() + ":0: " + next.getLoadError();
    manager.registerTexture(id, this);  // a failed upload may have claimed the name
    return false;
  }
  mWidth = next.mWidth;
  mHeight = next.mHeight;
  mBitsPerPixel = next.mBitsPerPixel;
  mpPixels = std::move(next.mpPixels);
  mFormat = next.mFormat;
  mScaleU = next.mScaleU;
  mScaleV = next.mScaleV;
  mLoadError.clear();
  manager.registerTexture(id, this);
  return true;
}

bool resTexture::loadPicture(VellFileStream& sIn, const std::vector<u8>& file) {
  if (!equalsIgnoringCase(sIn.getExtension(), "png")) CRITICAL_CHECK(isIPictureFile(sIn), "");
  platform::DecodedPicture picture;
  std::string error;
  if (!platform::decodePicture(file.data(), file.size(), picture, error)) return fail(error);
  const u32 width = picture.width;
  const u32 height = picture.height;
  if (!allocatePixels(width, height, 4)) return false;
  // The file's own alpha (a 32-bit BMP's, a PNG's) replaces the colour key.
  const bool ownAlpha = !picture.alpha.empty();
  for (u32 y = 0; y < height; ++y) {
    const u8* pSource = picture.rgb.data() + static_cast<std::size_t>(y) * width * 3;
    const u8* pAlpha = ownAlpha ? picture.alpha.data() + static_cast<std::size_t>(y) * width : nullptr;
    u8* pTarget = mpPixels.get() + static_cast<std::size_t>(y) * mWidth * 4;
    for (u32 x = 0; x < width; ++x, pSource += 3, pTarget += 4) {
      pTarget[0] = pSource[0];
      pTarget[1] = pSource[1];
      pTarget[2] = pSource[2];
      const bool colourKey = pSource[0] == 0 && pSource[1] == 255 && pSource[2] == 0;
      pTarget[3] = ownAlpha ? pAlpha[x] : (colourKey ? 0 : 255);
    }
  }
  mBitsPerPixel = 32;
  mScaleU = static_cast<f32>(width) / static_cast<f32>(mWidth);
  mScaleV = static_cast<f32>(height) / static_cast<f32>(mHeight);
  mFormat = FORMAT_RGBA;
  return true;
}

bool resTexture::loadHdr(const std::vector<u8>& file) {
  image::HdrHeader header;
  std::string error;
  if (!image::readHdrHeader(file.data(), file.size(), header, error)) return fail(error);
  if (!allocatePixels(header.xSize, header.ySize, 4)) return false;
  const u32 limit = textureManager::mpThis->getMaxTextureSide();
  if (mWidth > limit || mHeight > limit) return fitsTheCard();
  mBitsPerPixel = 32;
  if (!image::readHdrScanlines(file.data(), file.size(), header, mpPixels.get(), mWidth, mHeight, error)) {
    mpPixels.reset();
    return fail(error);
  }
  mScaleU = static_cast<f32>(header.xSize) / static_cast<f32>(mWidth);
  mScaleV = static_cast<f32>(header.ySize) / static_cast<f32>(mHeight);
  mFormat = FORMAT_RGBE;
  uploadToNewTexture();
  return true;
}

bool resTexture::loadDds(const std::vector<u8>& file) {
  image::DdsTexture dds;
  std::string error;
  if (!image::readDds(file.data(), file.size(), dds, error)) return fail(error);
  textureManager& manager = *textureManager::mpThis;
  const u32 limit = manager.getMaxTextureSide();
  if (dds.width > limit || dds.height > limit) {
    return fail("the " + std::to_string(dds.width) + " x " + std::to_string(dds.height) +
                " texture is larger than the " + std::to_string(limit) + " pixels a side the graphics card takes");
  }

  const u32 id = uploadTextureId();
  const GLenum target = dds.cubeMap ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
  GLint previous = 0;
  GLint previousAlignment = 4;
  glGetIntegerv(dds.cubeMap ? GL_TEXTURE_BINDING_CUBE_MAP : GL_TEXTURE_BINDING_2D, &previous);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &previousAlignment);
  glBindTexture(target, id);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  GLenum compressedFormat = GL_COMPRESSED_RGB_S3TC_DXT1_EXT;
  if (dds.pixels == image::DdsPixels::Dxt1 && dds.hasAlpha) compressedFormat = GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;
  if (dds.pixels == image::DdsPixels::Dxt3) compressedFormat = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
  if (dds.pixels == image::DdsPixels::Dxt5) compressedFormat = GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
  const GLenum pixelOrder = dds.pixels == image::DdsPixels::Bgr8    ? GL_BGR
                            : dds.pixels == image::DdsPixels::Bgra8 ? GL_BGRA
                                                                    : GL_RGBA;
  const u8* beginning = file.data();
  const std::size_t bytes = file.size();
  const u8* image = beginning + dds.levels.front().offset;
  for (const image::DdsLevel& level : dds.levels) {
    // A cube map is clamped at its edges; a 2D texture repeats like every other.
    const GLint wrap = dds.cubeMap ? GL_CLAMP_TO_EDGE : GL_REPEAT;
    glTexParameteri(target, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, wrap);
    if (dds.mipCount > 1) {
      glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(dds.mipCount - 1));
      glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
      glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    const GLenum levelTarget = dds.cubeMap ? GL_TEXTURE_CUBE_MAP_POSITIVE_X + level.face : GL_TEXTURE_2D;
    if (image::isCompressed(dds.pixels)) {
      glCompressedTexImage2D(levelTarget, static_cast<GLint>(level.level), compressedFormat,
                             static_cast<GLsizei>(level.width), static_cast<GLsizei>(level.height), 0,
                             static_cast<GLsizei>(level.size), image);
    } else {
      glTexImage2D(levelTarget, static_cast<GLint>(level.level), dds.hasAlpha ? GL_RGBA : GL_RGB,
                   static_cast<GLsizei>(level.width), static_cast<GLsizei>(level.height), 0, pixelOrder,
                   GL_UNSIGNED_BYTE, image);
    }
    image += level.size;
  }
  CRITICAL_CHECK(image <= beginning + bytes, "");
  glBindTexture(target, static_cast<GLuint>(previous));
  glPixelStorei(GL_UNPACK_ALIGNMENT, previousAlignment);
  manager.registerTexture(id, this);
  mScaleU = mScaleV = 1.0f;
  mpPixels.reset();
  mBitsPerPixel = 0;
  if (dds.cubeMap) {
    mHeight = mWidth = 0;
    mFormat = FORMAT_DXT1_CUBE;
  } else {
    mWidth = dds.width;
    mHeight = dds.height;
    mFormat = FORMAT_DDS_2D;
  }
  return true;
}

bool resTexture::loadTga(const std::vector<u8>& file) {
  image::TgaHeader header;
  std::string error;
  if (!image::readTgaHeader(file.data(), file.size(), header, error)) return fail(error);
  if (header.width > image::kMaxTgaSide || header.height > image::kMaxTgaSide) {
    return fail("the image is larger than " + std::to_string(image::kMaxTgaSide) + " pixels a side");
  }
  const std::size_t needed = image::minimumTgaPixelBytes(header);
  if (file.size() - header.dataOffset < needed) {
    return fail("offset " + std::to_string(header.dataOffset) + ": the file holds " +
                std::to_string(file.size() - header.dataOffset) + " bytes of pixels, fewer than the " +
                std::to_string(needed) + " the image needs");
  }
  // A side that is not a power of two is placed top-left in a larger buffer, as
  // BMP and JPEG pictures are.
  if (!allocatePixels(header.width, header.height, header.bitsPerPixel / 8)) return false;
  mBitsPerPixel = header.bitsPerPixel;
  mScaleU = static_cast<f32>(header.width) / static_cast<f32>(mWidth);
  mScaleV = static_cast<f32>(header.height) / static_cast<f32>(mHeight);
  if (!image::readTgaPixels(file.data(), file.size(), header, mpPixels.get(), mWidth, error)) {
    mpPixels.reset();
    return fail(error);
  }
  return true;
}
