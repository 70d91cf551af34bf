// Texture loading: the dispatch by extension, the picture path (padding, colour
// key, 32-bit BMP alpha), and the HDR, DDS and TGA paths with their uploads.
#include "resource/res_texture.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstring>

#include "framework/critical_check.h"
#include "framework/vell_file.h"
#include "platform/picture_decoder.h"
#include "render/texture_manager.h"
#include "resource/dds_reader.h"
#include "resource/hdr_reader.h"
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

u32 readU16(const std::vector<u8>& file, std::size_t offset) {
  return static_cast<u32>(file[offset]) | static_cast<u32>(file[offset + 1]) << 8;
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
  const std::string extension = sIn.getExtension();
  std::vector<u8> file;
  if (isIPictureFile(sIn)) {
    if (!readWholeFile(sIn, file) || !loadPicture(sIn, file)) return false;
    uploadToNewTexture();
    return true;
  }
  if (extension == "hdr") {
    return readWholeFile(sIn, file) && loadHdr(file);
  }
  if (extension == "dds") {
    return readWholeFile(sIn, file) && loadDds(file);
  }
  if (extension == "tga") {
    if (!readWholeFile(sIn, file) || !loadTga(file)) return false;
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
  std::fprintf(stderr, "orvane: cannot load texture \"%s\": %s\n", getPath().c_str(), problem.c_str());
  return false;
}

void resTexture::uploadToNewTexture() {
  textureManager& manager = *textureManager::mpThis;
  manager.uploadTexture(manager.newTextureId(), this);
}

bool resTexture::loadPicture(VellFileStream& sIn, const std::vector<u8>& file) {
  CRITICAL_CHECK(isIPictureFile(sIn), "");
  platform::DecodedPicture picture;
  std::string error;
  if (!platform::decodePicture(file.data(), file.size(), picture, error)) return fail(error);
  const u32 width = picture.width;
  const u32 height = picture.height;

  // A 32-bit BMP's own alpha replaces the colour key; check its size before
  // touching anything so a short file is refused whole.
  // The pixels start at the file's own data offset: 54 behind the classic 40-byte
  // header, further behind the newer ones. A negative height stores rows top-down.
  const bool bmpAlpha = file.size() >= 30 && file[0] == 'B' && file[1] == 'M' && readU16(file, 28) == 32;
  const std::size_t alphaBytes = static_cast<std::size_t>(width) * height * 4;
  const std::size_t pixelOffset = bmpAlpha ? (readU16(file, 10) | readU16(file, 12) << 16) : 0;
  const bool topDown = bmpAlpha && file.size() >= 26 && (file[25] & 0x80) != 0;
  if (bmpAlpha && (pixelOffset < 54 || file.size() < pixelOffset || file.size() - pixelOffset < alphaBytes)) {
    return fail("the 32-bit BMP holds fewer than the " + std::to_string(alphaBytes) +
                " pixel bytes its alpha needs after offset " + std::to_string(pixelOffset));
  }

  mWidth = roundUpToPowerOfTwo(width);
  mHeight = roundUpToPowerOfTwo(height);
  // Cleared, so the padding outside the picture is transparent black.
  mpPixels.reset(new u8[static_cast<std::size_t>(mWidth) * mHeight * 4]());
  for (u32 y = 0; y < height; ++y) {
    const u8* pSource = picture.rgb.data() + static_cast<std::size_t>(y) * width * 3;
    u8* pTarget = mpPixels.get() + static_cast<std::size_t>(y) * mWidth * 4;
    for (u32 x = 0; x < width; ++x, pSource += 3, pTarget += 4) {
      pTarget[0] = pSource[0];
      pTarget[1] = pSource[1];
      pTarget[2] = pSource[2];
      const bool colourKey = pSource[0] == 0 && pSource[1] == 255 && pSource[2] == 0;
      pTarget[3] = colourKey ? 0 : 255;
    }
  }
  mBitsPerPixel = 32;
  if (bmpAlpha) {
    for (u32 y = 0; y < height; ++y) {
      const u32 fileRow = topDown ? y : height - 1 - y;
      const u8* pFileRow = file.data() + pixelOffset + static_cast<std::size_t>(fileRow) * width * 4;
      u8* pTarget = mpPixels.get() + static_cast<std::size_t>(y) * mWidth * 4;
      for (u32 x = 0; x < width; ++x) pTarget[x * 4 + 3] = pFileRow[x * 4 + 3];
    }
  }
  mScaleU = static_cast<f32>(width) / static_cast<f32>(mWidth);
  mScaleV = static_cast<f32>(height) / static_cast<f32>(mHeight);
  mFormat = FORMAT_RGBA;
  return true;
}

bool resTexture::loadHdr(const std::vector<u8>& file) {
  image::HdrHeader header;
  std::string error;
  if (!image::readHdrHeader(file.data(), file.size(), header, error)) return fail(error);
  mWidth = roundUpToPowerOfTwo(header.xSize);
  mHeight = roundUpToPowerOfTwo(header.ySize);
  mpPixels.reset(new u8[static_cast<std::size_t>(mWidth) * mHeight * 4]());
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
  image::DdsCubeMap cubeMap;
  std::string error;
  if (!image::readDdsCubeMap(file.data(), file.size(), cubeMap, error)) return fail(error);

  textureManager& manager = *textureManager::mpThis;
  const u32 id = manager.newTextureId();
  GLint previous = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &previous);
  glBindTexture(GL_TEXTURE_CUBE_MAP, id);
  const u8* beginning = file.data();
  const std::size_t bytes = file.size();
  const u8* image = beginning + image::kDdsHeaderSize;
  for (const image::DdsLevel& level : cubeMap.levels) {
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (cubeMap.mipCount > 1) {
      glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(cubeMap.mipCount - 1));
      glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
      glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    glCompressedTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + level.face, static_cast<GLint>(level.level),
                           GL_COMPRESSED_RGB_S3TC_DXT1_EXT, static_cast<GLsizei>(level.width),
                           static_cast<GLsizei>(level.height), 0, static_cast<GLsizei>(level.size), image);
    image += level.size;
  }
  CRITICAL_CHECK(image <= beginning + bytes, "");
  glBindTexture(GL_TEXTURE_CUBE_MAP, static_cast<GLuint>(previous));
  manager.registerTexture(id, this);
  mScaleU = mScaleV = 1.0f;
  mpPixels.reset();
  mBitsPerPixel = mHeight = mWidth = 0;
  mFormat = FORMAT_DXT1_CUBE;
  return true;
}

bool resTexture::loadTga(const std::vector<u8>& file) {
  image::TgaHeader header;
  std::string error;
  if (!image::readTgaHeader(file.data(), file.size(), header, error)) return fail(error);
  const u32 tmpWidth = header.width;
  const u32 tmpHeight = header.height;
  mWidth = roundUpToPowerOfTwo(tmpWidth);
  mHeight = roundUpToPowerOfTwo(tmpHeight);
  CRITICAL_CHECK(tmpWidth==mWidth && tmpHeight==mHeight, "not 2^n texture is not unsupported");
  if (mWidth > image::kMaxTgaSide || mHeight > image::kMaxTgaSide) {
    return fail("the image is larger than " + std::to_string(image::kMaxTgaSide) + " pixels a side");
  }
  const std::size_t needed = image::minimumTgaPixelBytes(header);
  if (file.size() - image::kTgaHeaderSize < needed) {
    return fail("the file holds " + std::to_string(file.size() - image::kTgaHeaderSize) +
                " bytes after the header, fewer than the " + std::to_string(needed) + " the image needs");
  }
  mpPixels.reset(new u8[static_cast<std::size_t>(mWidth) * mHeight * (header.bitsPerPixel / 8)]());
  mBitsPerPixel = header.bitsPerPixel;
  mScaleU = mScaleV = 1.0f;
  if (!image::readTgaPixels(file.data(), file.size(), header, mpPixels.get(), error)) {
    mpPixels.reset();
    return fail(error);
  }
  return true;
}
