// The quality table of captured videos.
#include "platform/movie_settings.h"

namespace platform {

namespace {

// Archive keeps the picture quality of what the capture made when it ran ffmpeg
// over PNG files (x264's medium preset at CRF 18) for a quarter of the encoding
// work and about 1.8 times the bytes. Measured on 120 frames of the show at
// 1920x1080 against their 4:2:0 source (x264 CPU seconds, PSNR, SSIM, size):
//   medium CRF 18     12.4 s  46.38 dB  0.98884  2.79 MB  (before)
//   veryfast CRF 16    5.0 s  46.65 dB  0.98972  3.62 MB
//   superfast CRF 19   2.9 s  46.93 dB  0.99009  4.90 MB  (archive)
//   superfast CRF 20   2.7 s  46.31 dB  0.98902  4.18 MB  (a little below)
//   ultrafast CRF 20   1.2 s  46.73 dB  0.98707  6.94 MB  (blockier: SSIM)
// On two cores the drawing takes what the encoder leaves, so its work is the
// capture's time. Preview trades detail for speed; lossless keeps the RGB frame
// exactly (x264's RGB mode at QP 0).
constexpr VideoEncoding ENCODINGS[] = {
    {"libx264", "ultrafast", "crf", 23, "yuv420p", "aac", 192000},
    {"libx264", "superfast", "crf", 19, "yuv420p", "aac", 192000},
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
