// Video files through libavformat, libavcodec and libswscale.
#include "platform/movie_writer.h"

#include <cstdio>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace platform {

namespace {

std::string describe(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace

struct MovieWriter::State {
  std::string path;
  int width = 0;
  int height = 0;
  AVFormatContext* pFormat = nullptr;
  AVCodecContext* pVideo = nullptr;
  AVCodecContext* pAudio = nullptr;
  AVStream* pVideoStream = nullptr;
  AVStream* pAudioStream = nullptr;
  SwsContext* pScaler = nullptr;
  AVFrame* pPicture = nullptr;
  AVFrame* pSound = nullptr;
  AVPacket* pPacket = nullptr;
  s64 nextVideoPts = 0;
  s64 nextAudioPts = 0;
  std::vector<std::vector<float>> pending;  // samples per channel not yet a whole AAC frame
  bool fileOpen = false;
  bool finished = false;

  ~State() {
    if (pFormat && fileOpen) {
      avio_closep(&pFormat->pb);
    }
    if (fileOpen && !finished) {
      std::remove(path.c_str());
    }
    sws_freeContext(pScaler);
    av_frame_free(&pPicture);
    av_frame_free(&pSound);
    av_packet_free(&pPacket);
    avcodec_free_context(&pVideo);
    avcodec_free_context(&pAudio);
    avformat_free_context(pFormat);
  }
};

MovieWriter::MovieWriter() = default;
MovieWriter::~MovieWriter() = default;

bool MovieWriter::fail(const std::string& what, int code) {
  if (mError.empty()) {
    mError = code < 0 ? what + ": " + describe(code) : what;
  }
  return false;
}

bool MovieWriter::open(const std::string& path, int width, int height, int fps, const VideoEncoding& encoding,
                       int audioRate, int audioChannels) {
  // The capture reports a failure in one line of its own; the libraries' notes
  // (x264's statistics among them) would bury it.
  av_log_set_level(AV_LOG_QUIET);
  mpState = std::make_unique<State>();
  State& s = *mpState;
  s.path = path;
  s.width = width;
  s.height = height;
  int code = avformat_alloc_output_context2(&s.pFormat, nullptr, nullptr, path.c_str());
  if (code < 0 || !s.pFormat) return fail("cannot tell the video format of " + path + " from its name", code);
  const bool globalHeader = (s.pFormat->oformat->flags & AVFMT_GLOBALHEADER) != 0;

  const AVCodec* pVideoCodec = avcodec_find_encoder_by_name(encoding.videoCodec);
  if (!pVideoCodec) {
    return fail(std::string("this libavcodec has no ") + encoding.videoCodec + " encoder (Debian's libavcodec has it)",
                0);
  }
  s.pVideo = avcodec_alloc_context3(pVideoCodec);
  s.pVideo->width = width;
  s.pVideo->height = height;
  s.pVideo->time_base = AVRational{1, fps};
  s.pVideo->framerate = AVRational{fps, 1};
  s.pVideo->pix_fmt = av_get_pix_fmt(encoding.pixelFormat);
  if (globalHeader) s.pVideo->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  AVDictionary* pOptions = nullptr;
  av_dict_set(&pOptions, "preset", encoding.preset, 0);
  if (*encoding.x264Params) av_dict_set(&pOptions, "x264-params", encoding.x264Params, 0);
  av_dict_set_int(&pOptions, encoding.rateOption, encoding.rate, 0);
  code = avcodec_open2(s.pVideo, pVideoCodec, &pOptions);
  av_dict_free(&pOptions);
  if (code < 0) return fail(std::string("the ") + encoding.videoCodec + " encoder does not start", code);
  s.pVideoStream = avformat_new_stream(s.pFormat, nullptr);
  avcodec_parameters_from_context(s.pVideoStream->codecpar, s.pVideo);
  s.pVideoStream->time_base = s.pVideo->time_base;
  s.pVideoStream->avg_frame_rate = s.pVideo->framerate;

  if (audioChannels > 0) {
    const AVCodec* pAudioCodec = avcodec_find_encoder_by_name(encoding.audioCodec);
    if (!pAudioCodec) return fail(std::string("this libavcodec has no ") + encoding.audioCodec + " encoder", 0);
    s.pAudio = avcodec_alloc_context3(pAudioCodec);
    s.pAudio->sample_fmt = AV_SAMPLE_FMT_FLTP;
    s.pAudio->sample_rate = audioRate;
    av_channel_layout_default(&s.pAudio->ch_layout, audioChannels);
    s.pAudio->bit_rate = encoding.audioBitRate;
    s.pAudio->time_base = AVRational{1, audioRate};
    if (globalHeader) s.pAudio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    code = avcodec_open2(s.pAudio, pAudioCodec, nullptr);
    if (code < 0) return fail(std::string("the ") + encoding.audioCodec + " encoder does not start", code);
    s.pAudioStream = avformat_new_stream(s.pFormat, nullptr);
    avcodec_parameters_from_context(s.pAudioStream->codecpar, s.pAudio);
    s.pAudioStream->time_base = s.pAudio->time_base;
    s.pSound = av_frame_alloc();
    s.pSound->format = s.pAudio->sample_fmt;
    s.pSound->nb_samples = s.pAudio->frame_size;
    s.pSound->sample_rate = audioRate;
    av_channel_layout_copy(&s.pSound->ch_layout, &s.pAudio->ch_layout);
    if ((code = av_frame_get_buffer(s.pSound, 0)) < 0) return fail("no memory for the sound", code);
    s.pending.resize(static_cast<std::size_t>(audioChannels));
  }

  s.pPicture = av_frame_alloc();
  s.pPicture->format = s.pVideo->pix_fmt;
  s.pPicture->width = width;
  s.pPicture->height = height;
  if ((code = av_frame_get_buffer(s.pPicture, 0)) < 0) return fail("no memory for a frame", code);
  s.pPacket = av_packet_alloc();
  // Bicubic, as the ffmpeg program scales by default: the same chroma as before.
  s.pScaler = sws_getContext(width, height, AV_PIX_FMT_BGR0, width, height, s.pVideo->pix_fmt, SWS_BICUBIC, nullptr,
                             nullptr, nullptr);
  if (!s.pScaler) return fail(std::string("libswscale cannot convert frames to ") + encoding.pixelFormat, 0);

  if (!(s.pFormat->oformat->flags & AVFMT_NOFILE)) {
    code = avio_open(&s.pFormat->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (code < 0) return fail("cannot write " + path, code);
    s.fileOpen = true;
  }
  code = avformat_write_header(s.pFormat, nullptr);
  if (code < 0) return fail("cannot write " + path, code);
  return true;
}

bool MovieWriter::encode(bool video, bool flush) {
  State& s = *mpState;
  AVCodecContext* pContext = video ? s.pVideo : s.pAudio;
  AVStream* pStream = video ? s.pVideoStream : s.pAudioStream;
  int code = avcodec_send_frame(pContext, flush ? nullptr : video ? s.pPicture : s.pSound);
  if (code < 0) return fail(std::string("the ") + pContext->codec->name + " encoder failed", code);
  for (;;) {
    code = avcodec_receive_packet(pContext, s.pPacket);
    if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
    if (code < 0) return fail(std::string("the ") + pContext->codec->name + " encoder failed", code);
    av_packet_rescale_ts(s.pPacket, pContext->time_base, pStream->time_base);
    s.pPacket->stream_index = pStream->index;
    code = av_interleaved_write_frame(s.pFormat, s.pPacket);
    if (code < 0) return fail("cannot write " + s.path, code);
    if (s.pFormat->pb && s.pFormat->pb->error < 0) return fail("cannot write " + s.path, s.pFormat->pb->error);
  }
}

bool MovieWriter::addFrame(const u8* bgra) {
  if (!mError.empty()) return false;
  State& s = *mpState;
  const int code = av_frame_make_writable(s.pPicture);
  if (code < 0) return fail("no memory for a frame", code);
  // GL's rows come bottom first: start at the top row and step backwards.
  const int stride = s.width * 4;
  const u8* const source[1] = {bgra + static_cast<std::size_t>(s.height - 1) * stride};
  const int sourceStride[1] = {-stride};
  sws_scale(s.pScaler, source, sourceStride, 0, s.height, s.pPicture->data, s.pPicture->linesize);
  s.pPicture->pts = s.nextVideoPts++;
  return encode(true, false);
}

bool MovieWriter::sendAudioFrame(std::size_t samples) {
  State& s = *mpState;
  int code = av_frame_make_writable(s.pSound);
  if (code < 0) return fail("no memory for the sound", code);
  s.pSound->nb_samples = static_cast<int>(samples);
  for (std::size_t channel = 0; channel < s.pending.size(); ++channel) {
    std::vector<float>& queue = s.pending[channel];
    std::copy(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(samples),
              reinterpret_cast<float*>(s.pSound->data[channel]));
    queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(samples));
  }
  s.pSound->pts = s.nextAudioPts;
  s.nextAudioPts += static_cast<s64>(samples);
  return encode(false, false);
}

bool MovieWriter::addAudio(const s16* samples, std::size_t frames) {
  if (!mError.empty()) return false;
  State& s = *mpState;
  if (!s.pAudio) return true;
  const std::size_t channels = s.pending.size();
  for (std::size_t channel = 0; channel < channels; ++channel) {
    std::vector<float>& queue = s.pending[channel];
    queue.reserve(queue.size() + frames);
    for (std::size_t i = 0; i < frames; ++i) queue.push_back(samples[i * channels + channel] / 32768.0f);
  }
  const std::size_t frameSize = static_cast<std::size_t>(s.pAudio->frame_size);
  while (s.pending[0].size() >= frameSize) {
    if (!sendAudioFrame(frameSize)) return false;
  }
  return true;
}

bool MovieWriter::finish() {
  if (!mError.empty() || !mpState) return false;
  State& s = *mpState;
  if (s.pAudio) {
    if (!s.pending[0].empty() && !sendAudioFrame(s.pending[0].size())) return false;
    if (!encode(false, true)) return false;
  }
  if (!encode(true, true)) return false;
  int code = av_write_trailer(s.pFormat);
  if (code < 0) return fail("cannot write " + s.path, code);
  if (s.fileOpen) {
    code = avio_closep(&s.pFormat->pb);
    s.fileOpen = code < 0;  // a failed close still leaves the file to remove
    if (code < 0) return fail("cannot write " + s.path, code);
  }
  s.finished = true;
  return true;
}

}  // namespace platform
