// MovieWriter: one MP4 or Matroska file encoded frame by frame by libavcodec, the
// pictures converted by libswscale as the ffmpeg program converts PNG files, the
// music as AAC. One thread at a time (the capture's encoder thread).
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "framework/types.h"
#include "platform/movie_settings.h"

namespace platform {

class MovieWriter {
 public:
  MovieWriter();
  // A file that was opened but not finished is removed: no half video is left
  // to pass for a whole one.
  ~MovieWriter();
  MovieWriter(const MovieWriter&) = delete;
  MovieWriter& operator=(const MovieWriter&) = delete;

  // Creates the file and starts both encoders; audioChannels 0 makes a video
  // without sound. False with error() set (a missing encoder, a file that
  // cannot be created).
  bool open(const std::string& path, int width, int height, int fps, const VideoEncoding& encoding, int audioRate,
            int audioChannels);
  // `bgra`: height rows of width pixels as GL reads them back (BGRA, bottom row
  // first); alpha is dropped, as in the PNG files.
  bool addFrame(const u8* bgra);
  // Interleaved 16-bit samples, `frames` of them per channel.
  bool addAudio(const s16* samples, std::size_t frames);
  // Drains both encoders and completes the file.
  bool finish();
  const std::string& error() const { return mError; }

 private:
  struct State;
  bool fail(const std::string& what, int code);
  bool encode(bool video, bool flush);
  bool sendAudioFrame(std::size_t samples);

  std::unique_ptr<State> mpState;
  std::string mError;
};

}  // namespace platform
