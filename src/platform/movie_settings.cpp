// The quality table of captured videos.
#include "platform/movie_settings.h"

namespace platform {

namespace {

// Archive keeps the picture quality of what the capture made when it ran ffmpeg
// over PNG files (x264's medium preset at CRF 18) at a third of the encoding time:
// measured on 120 frames of the show at 1920x1080 against the 4:2:0 source,
// medium at CRF 18 gives 46.38 dB PSNR and 0.98884 SSIM in 8.9 s (2.79 MB),
// veryfast at CRF 16 gives 46.65 dB and 0.98972 in 2.6 s (3.62 MB); veryfast at
// CRF 18 would lose almost a decibel. Preview trades size and detail for speed;
// lossless keeps the RGB frame exactly (x264's RGB mode at QP 0).
constexpr VideoEncoding ENCODINGS[] = {
    {"libx264", "superfast", "crf", 23, "yuv420p", "aac", 192000},
    {"libx264", "veryfast", "crf", 16, "yuv420p", "aac", 192000},
    {"libx264rgb", "medium", "qp", 0, "rgb24", "aac", 192000},
};
constexpr const char* NAMES[] = {"preview", "archive", "lossless"};

}  // namespace

const VideoEncoding& videoEncoding(VideoQuality quality) { return ENCODINGS[static_cast<int>(quality)]; }

const char* videoQualityName(VideoQuality quality) { return NAMES[static_cast<int>(quality)]; }

bool parseVideoQuality(const std::string& name, VideoQuality& quality) {
  for (int i = 0; i < 3; ++i) {
    if (name == NAMES[i]) {
      quality = static_cast<VideoQuality>(i);
      return true;
    }
  }
  return false;
}

std::string ffmpegOptions(const VideoEncoding& encoding) {
  return std::string("-c:v ") + encoding.videoCodec + " -preset " + encoding.preset + " -" + encoding.rateOption +
         " " + std::to_string(encoding.rate) + " -pix_fmt " + encoding.pixelFormat + " -c:a " + encoding.audioCodec +
         " -b:a " + std::to_string(encoding.audioBitRate / 1000) + "k";
}

}  // namespace platform
