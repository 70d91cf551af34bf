// libvorbisenc behind platform::encodeOggVorbis; the only place vorbisenc is
// included. Any thread (each call has its own encoder state).
#include "platform/vorbis_encoder.h"

#include <vorbis/vorbisenc.h>

#include <cstring>

namespace platform {
namespace {

void appendPage(std::vector<u8>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<u8> encodeOggVorbis(const s16* pcm, u64 frames, int channels, long rate,
                                float quality) {
  std::vector<u8> out;
  vorbis_info info;
  vorbis_info_init(&info);
  if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
    vorbis_info_clear(&info);
    return out;
  }
  vorbis_comment comment;
  vorbis_comment_init(&comment);
  vorbis_dsp_state dsp;
  vorbis_analysis_init(&dsp, &info);
  vorbis_block block;
  vorbis_block_init(&dsp, &block);
  ogg_stream_state stream;
  ogg_stream_init(&stream, 1);

  ogg_packet header, headerComment, headerCode;
  vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
  ogg_stream_packetin(&stream, &header);
  ogg_stream_packetin(&stream, &headerComment);
  ogg_stream_packetin(&stream, &headerCode);
  ogg_page page;
  // The headers get pages of their own, as players expect audio to start on a fresh page.
  while (ogg_stream_flush(&stream, &page) != 0) appendPage(out, page);

  const u64 kStep = 1024;
  u64 done = 0;
  bool finished = false;
  while (!finished) {
    u64 count = frames - done < kStep ? frames - done : kStep;
    if (count == 0) {
      vorbis_analysis_wrote(&dsp, 0);  // marks the end of the stream
    } else {
      float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
      for (u64 i = 0; i < count; ++i) {
        for (int c = 0; c < channels; ++c) {
          buffer[c][i] = pcm[(done + i) * channels + c] / 32768.0f;
        }
      }
      vorbis_analysis_wrote(&dsp, static_cast<int>(count));
      done += count;
    }
    while (vorbis_analysis_blockout(&dsp, &block) == 1) {
      vorbis_analysis(&block, nullptr);
      vorbis_bitrate_addblock(&block);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
        ogg_stream_packetin(&stream, &packet);
        while (ogg_stream_pageout(&stream, &page) != 0) {
          appendPage(out, page);
          if (ogg_page_eos(&page)) finished = true;
        }
      }
    }
    if (count == 0) finished = true;
  }
  while (ogg_stream_flush(&stream, &page) != 0) appendPage(out, page);

  ogg_stream_clear(&stream);
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return out;
}

}  // namespace platform
