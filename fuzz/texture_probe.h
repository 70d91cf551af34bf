// The fuzz targets' way into resTexture's decoding steps, which upload nothing
// themselves: the steps are private, and this probe is the class's friend.
#pragma once

#include <string>
#include <vector>

#include "framework/vell_file.h"
#include "resource/res_texture.h"

// A stream that only answers for its extension: the picture step asks nothing else.
class ExtensionOnlyStream : public VellFileStream {
 public:
  explicit ExtensionOnlyStream(std::string extension) : mExtension(std::move(extension)) {}
  const std::string& getExtension() const override { return mExtension; }

 private:
  std::string mExtension;
};

struct TextureDecodingProbe {
  static bool picture(resTexture& texture, const std::vector<u8>& file, const char* extension) {
    ExtensionOnlyStream stream(extension);
    return texture.loadPicture(stream, file);
  }
  static bool tga(resTexture& texture, const std::vector<u8>& file) { return texture.loadTga(file); }
};
