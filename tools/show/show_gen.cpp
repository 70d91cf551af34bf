// The show generator: writes every model, animation, texture and definition table
// of the show below the data folder named on the command line.
// Usage: show_gen DATA_DIR
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "show/animations.h"
#include "show/definitions.h"
#include "show/image_files.h"
#include "show/models.h"
#include "show/textures.h"

namespace {

using namespace orvane::show;

void writeTextures(const std::string& root) {
  const std::string dir = root + "/texture/";
  writeFile(dir + "boxdna.bmp", encodeBmp(paintBoxTile(128), false));
  writeFile(dir + "petal.bmp", encodeBmp(paintPetal(kPetalSize), true));
  writeFile(dir + "text.bmp", encodeBmp(paintLettering(1024, 256, 64, kLetteringLines), true));
  writeFile(dir + "leaf.tga", encodeTga(paintLeaf(64), true, true));
  writeFile(dir + "vignette.tga", encodeTga(paintVignette(128), false, true));
  writeFile(dir + "metal.tga", encodeTga(paintMetal(128), false, false));
  writeFile(dir + "ground.jpg", encodeJpeg(paintGround(256), 90));
  writeFile(dir + "bark.jpg", encodeJpeg(paintBark(128), 90));
  writeFile(dir + "sky.hdr", encodeHdr(paintSky(512, 256)));
  writeFile(dir + "envCube.dds", encodeDdsCube(paintEnvironmentCube(64)));
}

}  // namespace

int main(int argc, char** argv) {
  // An option is no folder: "show_gen --help" must not make one named so.
  if (argc != 2 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: show_gen DATA_DIR\n");
    return 2;
  }
  const std::string root = argv[1];
  try {
    for (const char* sub : {"texture", "model/boxdna", "model/show", "qel", "definition"})
      std::filesystem::create_directories(root + "/" + sub);
    writeTextures(root);
    for (const NamedModel& named : buildModels()) writeText(root + "/" + named.path, toMqo(named.model));
    writeText(root + "/qel/show.qel", toQel(buildMainLine()));
    writeText(root + "/qel/overlay.qel", toQel(buildOverlayLine()));
    writeText(root + "/definition/sceneLineDefine.txt", sceneLineDefinitions());
    writeText(root + "/definition/postEffectDefine.txt", postEffectDefinitions());
    writeText(root + "/definition/shaderTextureDefine.txt", shaderTextureDefinitions());
  } catch (const std::exception& error) {
    std::fprintf(stderr, "show_gen: %s\n", error.what());
    return 1;
  }
  return 0;
}
