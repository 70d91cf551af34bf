// Writes the starting corpus of every fuzz target from the builders our tests
// use, so the fuzzer begins from files the readers accept. Run once:
//   orvane_fuzz_seeds fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/picture_decoder.h"
#include "support/image_fixtures.h"
#include "support/sound_fixtures.h"

namespace {

std::filesystem::path gRoot;

void put(const std::string& target, const std::string& name, const std::string& bytes) {
  const std::filesystem::path directory = gRoot / target;
  std::filesystem::create_directories(directory);
  std::ofstream(directory / name, std::ios::binary) << bytes;
}

void put(const std::string& target, const std::string& name, const std::vector<u8>& bytes) {
  put(target, name, std::string(bytes.begin(), bytes.end()));
}

void copyFile(const std::string& target, const std::string& name, const std::string& source) {
  std::ifstream in(source, std::ios::binary);
  put(target, name, std::string(std::istreambuf_iterator<char>(in), {}));
}

fixture::Rgba gradient(u32 x, u32 y) {
  return {static_cast<u8>(x * 40), static_cast<u8>(y * 60), static_cast<u8>((x + y) * 20), static_cast<u8>(255 - x)};
}

void images() {
  put("picture", "rgb24.bmp", fixture::bmp(5, 3, 24, gradient));
  put("picture", "argb32.bmp", fixture::bmp(4, 4, 32, gradient));
  put("picture", "topdown32.bmp", fixture::bmp(3, 2, 32, gradient, true));
  // A JPEG from our own writer, read back for its bytes.
  std::vector<u8> rgb(8 * 8 * 3);
  for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<u8>(i * 7);
  const std::string jpeg = (std::filesystem::temp_directory_path() / "orvane-seed.jpg").string();
  if (platform::writeJpeg(jpeg, 8, 8, rgb.data(), 80)) {
    copyFile("picture", "small.jpg", jpeg);
    std::filesystem::remove(jpeg);
  }

  put("tga", "flat24.tga", fixture::tga(4, 4, 24, false, gradient));
  put("tga", "runs32.tga", fixture::tga(8, 2, 32, true, [](u32 x, u32) {
        return fixture::Rgba{static_cast<u8>(x / 3), 1, 2, 3};
      }));

  std::vector<fixture::Rgba> row(8);
  for (u32 x = 0; x < row.size(); ++x) row[x] = {static_cast<u8>(x < 4 ? 9 : x), 2, 3, 128};
  std::string runLength = fixture::hdrHeader("RADIANCE", "32-bit_rle_rgbe", "-Y 2 +X 8");
  runLength += fixture::hdrRunLengthScanline(row) + fixture::hdrRunLengthScanline(row);
  put("hdr", "runlength.hdr", runLength);
  std::string flat = fixture::hdrHeader("RGBE", "32-bit_rle_rgbe", "+X 3 -Y 2");
  const std::vector<fixture::Rgba> short_row(3, fixture::Rgba{1, 2, 3, 128});
  flat += fixture::hdrFlatScanline(short_row) + fixture::hdrFlatScanline(short_row);
  put("hdr", "flat.hdr", flat);

  put("dds", "cube1.dds", fixture::dds(4, 4, 1, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6));
  put("dds", "cube3.dds", fixture::dds(8, 8, 3, fixture::kFourCcDxt1, fixture::kCaps2CubeAllFaces, 6));
}

void sounds() {
  put("wav", "pcm16.wav", soundtest::makeWave(soundtest::patternPcm(64)));
  soundtest::WaveSpec extended;
  extended.fmtChunkSize = 18;
  extended.junkChunkFirst = true;
  put("wav", "fmt18-list.wav", soundtest::makeWave(soundtest::patternPcm(16), extended));
  soundtest::WaveSpec mono;
  mono.channels = 1;
  mono.bitsPerSample = 8;
  mono.samplesPerSecond = 22050;
  put("wav", "mono8.wav", soundtest::makeWave(std::vector<u8>(40, 0x80), mono));
  put("ogg", "mono.ogg", soundtest::makeOgg(0.05, 1, 22050));
  put("ogg", "stereo.ogg", soundtest::makeOgg(0.1, 2, 44100));
}

const char* kModel =
    "Metasequoia Document\nFormat Text Ver 1.0\n\nScene {\n\tpos 0 0 1500\n\tamb 0.25 0.25 0.25\n}\n"
    "Material 2 {\n"
    "\t\"skin\" shader(3) col(1.000 0.500 0.250 1.000) dif(0.800) amb(0.600) emi(0.100) spc(0.200) "
    "power(5.00) tex(\"skin.bmp\") aplane(\"mask.bmp\") bump(\"shade.fx\")\n"
    "\t\"plain\" col(0.2 0.3 0.4 0.5)\n"
    "}\n"
    "Object \"body\" {\n\tdepth 0\n\tfacet 45.0\n\tcolor 0.5 0.5 0.5\n"
    "\tvertex 5 {\n\t\t0 0 0\n\t\t100 0 0\n\t\t100 100 0\n\t\t0 100 0\n\t\t50 50 80\n\t}\n"
    "\tface 3 {\n\t\t4 V(0 1 2 3) M(0) UV(0 0 1 0 1 1 0 1)\n\t\t3 V(0 1 4) M(1) UV(0 0 1 0 0.5 0.5)\n"
    "\t\t3 V(1 2 4)\n\t}\n}\n"
    "Object \"bone:arm\" {\n\tvertex 1 {\n\t\t10 20 30\n\t}\n\tface 0 {\n\t}\n}\n"
    "Object \"light\" {\n\tvertex 2 {\n\t\t1 2 3\n\t\t4 5 6\n\t}\n\tface 0 {\n\t}\n}\n"
    "Eof\n";

const char* kAnimation =
    "MQO {\n\t0 \"model.mqo\"\n\t# 1 \"unused.mqo\"\n\t1 \"other.mqo\"\n}\n"
    "Scene \"opening\" {\n"
    "\tObject -1 {\n\t\tDataNum 2\n\t\tTime { 0 2000 }\n"
    "\t\tPart \"camera_pos\" {\n\t\t\tPosition { 0 0 10 0 0 20 }\n\t\t}\n"
    "\t\tPart \"camera_lookat\" {\n\t\t\tPosition { 0 0 0 1 1 1 }\n\t\t}\n\t}\n"
    "\tObject 0 {\n\t\tCameraTrans 0\n\t\tVisible 1\n\t\tDataNum 2\n\t\tTime { 0 1000 }\n"
    "\t\tPart \"body\" {\n\t\t\tPosition { 0 0 0 1 2 3 }\n\t\t\tRotation { 0 0 0 0 90 0 }\n"
    "\t\t\tScale { 1 1 1 2 2 2 }\n\t\t\tAlpha { 1 0.5 }\n\t\t}\n\t}\n"
    "}\n"
    "Scene \"second\" {\n\tObject 1 {\n\t\tDataNum 1\n\t\tTime { 500 }\n"
    "\t\tPart \"head\" {\n\t\t\tPosition { 1 1 1 }\n\t\t}\n\t}\n}\n"
    "Eof\n";

void texts(const std::string& source) {
  put("mqo", "model.mqo", kModel);
  put("qel", "scene.qel", kAnimation);
  for (const char* effect : {"core.fx", "defaultShader.fx", "effectSample.fx", "finalScreenShader.fx"}) {
    copyFile("effect", effect, source + "/data/shader/" + effect);
  }
  put("scene_definitions", "running-order.txt",
      "# qel line start end r1 r2 shader\n"
      "opening.qel 0 0 0 0 0 default\n"
      "second.qel 1 2000 8000 0 0 lineShader.fx\n"
      "stray.qel 5 0 0 0 0 default\n"
      "short row\n");
  put("post_effect_definitions", "post-effects.txt",
      "# file start end order pass buffer\n"
      "effectSample.fx 0 4000 2 -1 -1\n"
      "finalScreenShader.fx 1000 9000 1 0 2\r\n"
      "blur.fx 0 0 1 1 0\n"
      "too few 1 2\n");
  put("custom_textures", "textures.txt",
      "# texture parameter\n"
      "data\\texture\\defaultTexture.bmp g_tex\n"
      "data\\texture\\ramp.bmp\tg_ramp\r\n"
      "lonely\n"
      "a.bmp #comment\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvane_fuzz_seeds <corpus directory>\n");
    return 2;
  }
  gRoot = argv[1];
  images();
  sounds();
  texts(ORVANE_SOURCE_DIR);
  return 0;
}
