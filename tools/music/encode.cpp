// Encoding through libvorbisenc (variable bit rate) and decoding through
// vorbisfile, with nothing time- or machine-dependent written into the stream.
#include "music/encode.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

namespace orvane::music {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

bool writePage(std::FILE* file, const ogg_page& page) {
  return std::fwrite(page.header, 1, static_cast<std::size_t>(page.header_len), file) ==
             static_cast<std::size_t>(page.header_len) &&
         std::fwrite(page.body, 1, static_cast<std::size_t>(page.body_len), file) ==
             static_cast<std::size_t>(page.body_len);
}

}  // namespace

bool writeOggVorbis(const std::string& path, const StereoBuffer& audio, int sampleRate, float quality,
                    std::string& error) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) {
    error = "cannot open " + path + " for writing";
    return false;
  }
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, 2, sampleRate, quality) != 0) {
    vorbis_info_clear(&info);
    error = "libvorbisenc refused the encoder settings";
    return false;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_comment_add_tag(&comment, "TITLE", "Air");
  vorbis_comment_add_tag(&comment, "ARTIST", "Orvane");
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, kOggSerial);

  bool ok = true;
  ogg_page page;
  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  // Audio must begin on a fresh page.
  while (ok && ogg_stream_flush(&stream, &page) != 0) ok = writePage(file.get(), page);

  const std::size_t frames = audio.left.size();
  constexpr std::size_t kBlock = 1024;
  bool finished = false;
  for (std::size_t at = 0; ok && !finished;) {
    if (at < frames) {
      const std::size_t n = std::min(kBlock, frames - at);
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
      std::copy_n(audio.left.data() + at, n, buffer[0]);
      std::copy_n(audio.right.data() + at, n, buffer[1]);
      vorbis_analysis_wrote(&dsp, static_cast<int>(n));
      at += n;
    } else {
      vorbis_analysis_wrote(&dsp, 0);
      finished = true;
    }
    while (ok && vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (ok && vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ok && ogg_stream_pageout(&stream, &page) != 0) {
          ok = writePage(file.get(), page);
          if (ogg_page_eos(&page)) break;
        }
      }
    }
  }
  while (ok && ogg_stream_flush(&stream, &page) != 0) ok = writePage(file.get(), page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  if (!ok) error = "write error on " + path;
  if (ok && std::fflush(file.get()) != 0) {
    ok = false;
    error = "write error on " + path;
  }
  return ok;
}

bool readOggVorbis(const std::string& path, DecodedInfo& decoded) {
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) return false;
  const vorbis_info* info = ov_info(&vf, -1);
  decoded = {};
  decoded.sampleRate = static_cast<int>(info->rate);
  decoded.channels = info->channels;
  double sum = 0.0;
  std::int64_t values = 0;
  for (;;) {
    float** pcm = nullptr;
    int section = 0;
    const long n = ov_read_float(&vf, &pcm, 4096, &section);
    if (n < 0) {
      ov_clear(&vf);
      return false;
    }
    if (n == 0) break;
    for (int c = 0; c < decoded.channels; ++c)
      for (long i = 0; i < n; ++i) {
        const double v = pcm[c][i];
        decoded.peak = std::max(decoded.peak, std::fabs(v));
        sum += v * v;
      }
    values += n * decoded.channels;
    decoded.frames += n;
  }
  decoded.rms = values ? std::sqrt(sum / static_cast<double>(values)) : 0.0;
  ov_clear(&vf);
  return true;
}

}  // namespace orvane::music
