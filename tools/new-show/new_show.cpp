// Writes the starting show of orvane-new-show; see new_show.h.
#include "new-show/new_show.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "music/arrangement.h"
#include "music/encode.h"
#include "music/render.h"
#include "show/image_files.h"
#include "show/mesh.h"
#include "show/qel_writer.h"

namespace fs = std::filesystem;

namespace orvane::newshow {
namespace {

using show::Vec3;

// Effects copied from the shipped show: the engine's fixed ones and the fade.
constexpr const char* kCopiedEffects[] = {"core.fx", "defaultShader.fx", "effectSample.fx", "finalScreenShader.fx",
                                          "postFade.fx"};

// The grade is written here rather than copied: it is the effect a maker edits
// first, so it stays short and reads the table's vignette texture.
constexpr const char* kGradeEffect = R"(// Post effect: line 0 (with line 1 screen-blended over it) graded warm in the
// highlights and cool in the shadows, darkened towards the corners by the
// texture the effect-texture table names shVignette. Edit and save it while the
// show plays with --dev to see the change at once.
uniform float4x4 projMat;
sampler2D srcCBuf0 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D srcCBuf1 = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };
sampler2D shVignette = sampler_state { MinFilter = Linear; MagFilter = Linear; WrapS = ClampToEdge; WrapT = ClampToEdge; };

varying vec2 uv;

void screenVertex() {
  gl_Position = projMat * gl_Vertex;
  uv = gl_MultiTexCoord0.xy;
}

vec4 gradeLines() {
  vec3 base = clamp(texture2D(srcCBuf0, uv).rgb, 0.0, 1.0);
  vec3 upper = clamp(texture2D(srcCBuf1, uv).rgb, 0.0, 1.0);
  vec3 c = 1.0 - (1.0 - base) * (1.0 - upper);
  float luma = dot(c, vec3(0.299, 0.587, 0.114));
  c = mix(vec3(luma), c, 1.15);
  c = c * vec3(1.04, 1.0, 0.94) + vec3(0.02, 0.03, 0.07) * (1.0 - luma);
  return vec4(clamp(c, 0.0, 1.0) * texture2D(shVignette, uv).rgb, 1.0);
}

technique Grade {
  pass Screen {
    VertexProgram = compile glslv screenVertex();
    FragmentProgram = compile glslf gradeLines();
    DepthTestEnable = false;
    DepthMask = false;
    CullFaceEnable = false;
    BlendEnable = false;
  }
}
)";

std::vector<std::uint8_t> readBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t little(const std::vector<std::uint8_t>& b, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = value << 8 | b[at + i];
  return value;
}

// The length of a RIFF WAVE file from its format and data chunks.
std::optional<double> waveSeconds(const std::vector<std::uint8_t>& b) {
  std::uint32_t rate = 0, blockAlign = 0;
  std::optional<std::uint64_t> dataBytes;
  for (std::size_t at = 12; at + 8 <= b.size();) {
    const std::uint32_t size = little(b, at + 4, 4);
    const bool format = std::equal(b.begin() + at, b.begin() + at + 4, "fmt ");
    if (format && at + 8 + 16 <= b.size()) {
      rate = little(b, at + 8 + 4, 4);
      blockAlign = little(b, at + 8 + 12, 2);
    } else if (std::equal(b.begin() + at, b.begin() + at + 4, "data")) {
      // A stream written before its length was known says 0 or all ones: what is there counts.
      dataBytes = std::min<std::uint64_t>(size, b.size() - (at + 8));
    }
    at += 8 + static_cast<std::uint64_t>(size) + (size & 1);
  }
  if (!dataBytes || rate == 0 || blockAlign == 0) return std::nullopt;
  return static_cast<double>(*dataBytes / blockAlign) / rate;
}

// Eight bars of the main part of the engine's track, faded in and out.
std::string writeGeneratedMusic(const fs::path& target) {
  using namespace orvane::music;
  const Section* main = findSection("main");
  const std::int64_t first = msToSample(main->startMs());
  const std::int64_t count = static_cast<std::int64_t>(kGeneratedSeconds * kSampleRate);
  StereoBuffer audio = Track().render(first, count);
  const std::int64_t fadeIn = kSampleRate / 4, fadeOut = 2 * kSampleRate;
  for (std::int64_t i = 0; i < count; ++i) {
    double gain = 1.0;
    if (i < fadeIn) gain = static_cast<double>(i) / fadeIn;
    if (count - i < fadeOut) gain = std::min(gain, static_cast<double>(count - i) / fadeOut);
    audio.left[i] = static_cast<float>(audio.left[i] * gain);
    audio.right[i] = static_cast<float>(audio.right[i] * gain);
  }
  std::string error;
  if (!writeOggVorbis(target.string(), audio, kSampleRate, 0.4f, error)) return error;
  return {};
}

show::Image checker(int size) {
  show::Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const bool light = ((x * 8 / size) + (y * 8 / size)) % 2 == 0;
      light ? image.set(x, y, 0.92, 0.86, 0.74) : image.set(x, y, 0.35, 0.42, 0.55);
    }
  return image;
}

show::Image vignette(int size) {
  show::Image image(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5) / size * 2 - 1, v = (y + 0.5) / size * 2 - 1;
      const double r = std::sqrt(0.8 * u * u + v * v);
      const double dark = 1.0 - 0.5 * std::clamp((r - 0.5) / 0.9, 0.0, 1.0);
      image.set(x, y, dark, dark, dark);
    }
  return image;
}

// A turned, textured block on a tiled floor.
show::Model blockOnFloor() {
  show::Model model;
  show::Material block;
  block.name = "block";
  block.texture = "..\\texture\\checker.bmp";
  show::Material floor;
  floor.name = "floor";
  floor.r = 0.55, floor.g = 0.6, floor.b = 0.7;
  floor.texture = "..\\texture\\checker.bmp";
  model.materials = {block, floor};
  show::MeshObject body;
  body.name = "block";
  show::addBox(body, {0, 1, 0}, {2, 2, 2}, 0.0, 0);
  show::MeshObject ground;
  ground.name = "floor";
  show::addGround(ground, 8, 8, 4, 1, [](double, double) { return 0.0; });
  model.objects = {body, ground};
  return model;
}

show::QelObject blockTrack(double length, double turnsPerSecond) {
  show::QelObject object;
  object.model = 0;
  object.times = show::keyTimes(length, 0.5);
  show::addPart(object, "block", [=](double t) {
    show::Pose pose;
    pose.rotation.y = t * turnsPerSecond * 2 * show::kPi;
    return pose;
  });
  show::addPart(object, "floor", [](double) { return show::Pose{}; });
  return object;
}

// Scene one circles the block; scene two closes in and rises. Each scene lasts
// as long as its camera track, so the two together last `seconds`.
show::QelFile twoScenes(double seconds) {
  const double first = std::round(seconds * 500.0) / 1000.0;
  const double second = std::round((seconds - first) * 1000.0) / 1000.0;
  show::QelFile file;
  file.models = {{0, "..\\model\\model.mqo"}};
  show::QelScene orbit;
  orbit.name = "orbit";
  orbit.objects.push_back(show::makeCamera(
      show::keyTimes(first, 0.25),
      [=](double t) {
        const double a = t / first * show::kPi;
        return Vec3{7 * std::sin(a), 3, 7 * std::cos(a)};
      },
      [](double) { return Vec3{0, 1, 0}; }, [](double) { return 45.0; }, [](double) { return 0.0; }));
  orbit.objects.push_back(blockTrack(first, 0.05));
  show::QelScene closer;
  closer.name = "closer";
  closer.objects.push_back(show::makeCamera(
      show::keyTimes(second, 0.25),
      [=](double t) {
        const double k = t / second;
        const double a = show::kPi + k * 0.6;
        const double r = 7 - 3 * k;
        return Vec3{r * std::sin(a), 3 + 2 * k, r * std::cos(a)};
      },
      [](double) { return Vec3{0, 1, 0}; }, [=](double t) { return 45.0 - 10.0 * t / second; },
      [](double) { return 0.0; }));
  closer.objects.push_back(blockTrack(second, 0.1));
  file.scenes = {orbit, closer};
  return file;
}

std::string runningOrder() {
  return "# The running order: one row per line of scenes. Columns, tab or space separated:\n"
         "#   Qel file (below the show folder, \\ between folders), line (0 is drawn first,\n"
         "#   1 over it), start ms and end ms of the line's play window (0 0: every scene of\n"
         "#   the file back to back, each as long as its camera track), two reserved numbers\n"
         "#   (0), and the line's effect under data\\shader\\ without .fx (\"default\": none).\n"
         "# A '#' starts a comment to the end of the line.\n"
         "data\\qel\\show.qel\t0\t0\t0\t0\t0\tdefault\n";
}

std::string postEffects(int showMs) {
  char rows[512];
  std::snprintf(rows, sizeof rows,
                "postGrade.fx\t0\t%d\t10\t-1\t-1\t# the grade, the whole show, to the screen\n"
                "postFade.fx\t0\t1000\t90\t1\t-1\t# fade in from black over the first second\n"
                "postFade.fx\t%d\t%d\t90\t0\t-1\t# fade out to black over the last two\n",
                showMs, std::max(0, showMs - 2000), showMs);
  return std::string(
             "# The post-effect table: effects run over the picture while their window is open,\n"
             "# in rising order. Columns: effect file under data\\shader\\, start ms, end ms, order,\n"
             "# pass (-1 every pass of the effect, else its number from 0), output (-1 the screen,\n"
             "# 0-3 a work screen a later effect reads), and optionally the work screen's size\n"
             "# (1/2, 1/4 or 1/8 of the window). Without an open entry effectSample.fx draws.\n") +
         rows;
}

std::string effectTextures() {
  return "# The effect-texture table: pictures every effect may read. Columns: picture file\n"
         "# (below the show folder), and the sampler name an effect declares to read it.\n"
         "data\\texture\\vignette.bmp\tshVignette\n";
}

void writeText(const fs::path& path, const std::string& text) { show::writeText(path.string(), text); }

}  // namespace

std::optional<fs::path> findShippedData(const fs::path& programFolder, const fs::path& installedData) {
  std::vector<fs::path> candidates;
  if (!programFolder.empty()) {
    candidates.push_back(programFolder / "data");
    candidates.push_back(programFolder / ".." / "share" / "orvane" / "data");
  }
  if (!installedData.empty()) candidates.push_back(installedData);
  for (const fs::path& candidate : candidates) {
    std::error_code ignored;
    if (fs::is_regular_file(candidate / "shader" / "core.fx", ignored)) return candidate.lexically_normal();
  }
  return std::nullopt;
}

std::optional<double> musicSeconds(const fs::path& file, std::string& error) {
  const std::vector<std::uint8_t> bytes = readBytes(file);
  if (bytes.empty()) {
    error = file.string() + ": cannot be read, or is empty";
    return std::nullopt;
  }
  std::optional<double> seconds;
  if (bytes.size() >= 12 && std::equal(bytes.begin(), bytes.begin() + 4, "RIFF") &&
      std::equal(bytes.begin() + 8, bytes.begin() + 12, "WAVE")) {
    seconds = waveSeconds(bytes);
  } else if (bytes.size() >= 4 && std::equal(bytes.begin(), bytes.begin() + 4, "OggS")) {
    music::DecodedInfo info;
    if (music::readOggVorbis(file.string(), info) && info.sampleRate > 0)
      seconds = static_cast<double>(info.frames) / info.sampleRate;
  } else {
    error = file.string() + ": neither Ogg Vorbis nor WAV";
    return std::nullopt;
  }
  if (!seconds || *seconds < 1.0) {
    error = file.string() + ": holds no sound to play (or less than a second)";
    return std::nullopt;
  }
  return seconds;
}

std::string writeNewShow(const fs::path& folder, const std::optional<fs::path>& music, const fs::path& shippedData) {
  std::error_code failure;
  if (fs::exists(folder, failure)) {
    if (!fs::is_directory(folder, failure)) return folder.string() + " is a file: a new show needs a new folder";
    if (!fs::is_empty(folder, failure)) {
      return folder.string() + " is not empty: a new show goes into a new or empty folder";
    }
  }
  double seconds = kGeneratedSeconds;
  if (music) {
    std::string error;
    const std::optional<double> length = musicSeconds(*music, error);
    if (!length) return error;
    seconds = *length;
  }
  const fs::path data = folder / "data";
  for (const char* sub : {"definition", "model", "qel", "shader", "texture"}) {
    fs::create_directories(data / sub, failure);
    if (failure) return (data / sub).string() + ": cannot be made: " + failure.message();
  }
  for (const char* effect : kCopiedEffects) {
    fs::copy_file(shippedData / "shader" / effect, data / "shader" / effect, failure);
    if (failure) return (shippedData / "shader" / effect).string() + ": cannot be copied: " + failure.message();
  }
  fs::copy_file(shippedData / "texture" / "defaultTexture.bmp", data / "texture" / "defaultTexture.bmp", failure);
  if (failure) return (shippedData / "texture" / "defaultTexture.bmp").string() + ": cannot be copied: " + failure.message();
  if (music) {
    fs::copy_file(*music, data / "air.ogg", failure);
    if (failure) return music->string() + ": cannot be copied: " + failure.message();
  } else {
    const std::string error = writeGeneratedMusic(data / "air.ogg");
    if (!error.empty()) return (data / "air.ogg").string() + ": " + error;
  }
  try {
    // The show ends when its music does: the running order fills the music's whole length.
    const int showMs = static_cast<int>(std::lround(seconds * 1000.0));
    writeText(data / "shader" / "postGrade.fx", kGradeEffect);
    show::writeFile((data / "texture" / "checker.bmp").string(), show::encodeBmp(checker(128), false));
    show::writeFile((data / "texture" / "vignette.bmp").string(), show::encodeBmp(vignette(128), false));
    writeText(data / "model" / "model.mqo", show::toMqo(blockOnFloor()));
    writeText(data / "qel" / "show.qel", show::toQel(twoScenes(showMs / 1000.0)));
    writeText(data / "definition" / "sceneLineDefine.txt", runningOrder());
    writeText(data / "definition" / "postEffectDefine.txt", postEffects(showMs));
    writeText(data / "definition" / "shaderTextureDefine.txt", effectTextures());
  } catch (const std::exception& error) {
    return error.what();
  }
  return {};
}

}  // namespace orvane::newshow
