// The encoder settings of a captured video, one table for the streamed capture
// and for scripts/assemble (which reads them, as ffmpeg options, from the
// pieces' capture.txt). Any thread.
#pragma once

#include <string>

namespace platform {

enum class VideoQuality { Preview, Archive, Lossless };

struct VideoEncoding {
  const char* videoCodec;   // libavcodec's encoder name
  const char* preset;       // x264's speed preset
  const char* x264Params;   // x264's own settings over the preset's ("" for none)
  const char* rateOption;   // "crf" (constant quality) or "qp" (0: lossless)
  int rate;
  const char* pixelFormat;  // what the RGB frame is converted to
  const char* audioCodec;
  int audioBitRate;         // bits a second
};

const VideoEncoding& videoEncoding(VideoQuality quality);
// "preview", "archive" or "lossless".
const char* videoQualityName(VideoQuality quality);
bool parseVideoQuality(const std::string& name, VideoQuality& quality);
// The same encoding as options of the ffmpeg program, from -c:v to -b:a.
std::string ffmpegOptions(const VideoEncoding& encoding);

}  // namespace platform
