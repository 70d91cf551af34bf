// The quality table of captured videos.
#include "platform/movie_settings.h"

namespace platform {

namespace {

// Archive keeps the picture quality of what the capture made when it ran ffmpeg
// over PNG files (x264's medium preset at CRF 18) for a seventh of the encoding
// work and 2.5 times the bytes: the ultrafast preset with three of its savings
// put back. The deblocking filter (a step stronger than x264's default) and
// adaptive quantisation keep PSNR and SSIM; CABAC saves a sixth of the bytes.
// Measured on 120 frames of the show at 1920x1080 from 64 s against their 4:2:0
// source (x264 CPU seconds, PSNR, SSIM, size); from 185 s, into the fade, the
// order is the same:
//   medium CRF 18                      14.1 s  46.38 dB  0.98885  2.78 MB  (before)
//   superfast CRF 19                    3.2 s  46.93 dB  0.99008  4.90 MB
//   ultrafast CRF 19, deblock 1,1, AQ   1.7 s  46.94 dB  0.98961  8.19 MB
//   the same with CABAC                 2.1 s  46.94 dB  0.98961  6.97 MB  (archive)
//   the same, deblock 0,0 (default)     2.2 s  46.83 dB  0.98934  7.07 MB
//   ultrafast CRF 20                    1.4 s  46.73 dB  0.98707  6.94 MB  (blockier: SSIM)
//   ultrafast CRF 23                    1.3 s  44.73 dB  0.98191  4.74 MB  (preview)
// On two cores the drawing takes what the encoder leaves, so its work is the
// capture's time. Preview trades detail for speed; lossless keeps the RGB frame
// exactly (x264's RGB mode at QP 0).
constexpr VideoEncoding ENCODINGS[] = {
    {"libx264", "ultrafast", "", "crf", 23, "yuv420p", "aac", 192000},
    {"libx264", "ultrafast", "deblock=1,1:aq-mode=1:cabac=1", "crf", 19, "yuv420p", "aac", 192000},
    {"libx264rgb", "medium", "", "qp", 0, "rgb24", "aac", 192000},
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
  std::string options = std::string("-c:v ") + encoding.videoCodec + " -preset " + encoding.preset;
  if (*encoding.x264Params) options += std::string(" -x264-params ") + encoding.x264Params;
  options += std::string(" -") + encoding.rateOption + " " + std::to_string(encoding.rate);
  options += std::string(" -pix_fmt ") + encoding.pixelFormat;
  return options + " -c:a " + encoding.audioCodec + " -b:a " + std::to_string(encoding.audioBitRate / 1000) + "k";
}

}  // namespace platform
