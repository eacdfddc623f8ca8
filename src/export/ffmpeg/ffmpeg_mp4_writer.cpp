// The MP4 writer through FFmpeg's libraries (libavcodec with libx264 and its AAC encoder,
// libavformat, libswscale), built as the module the export loads.
#include "export/mp4_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>

namespace kd {

namespace {

constexpr AVRational kMilliseconds{1, 1000};

class FfmpegMp4Writer : public Mp4Writer {
 public:
  FfmpegMp4Writer() = default;
  ~FfmpegMp4Writer() override;
  FfmpegMp4Writer(const FfmpegMp4Writer&) = delete;
  FfmpegMp4Writer& operator=(const FfmpegMp4Writer&) = delete;

  bool open(const std::string& path, const Settings& settings) override;
  bool addPicture(const std::vector<uint8_t>& rgb, int64_t ms) override;
  bool addSound(const int16_t* samples, size_t count) override;
  bool finish() override;
  const std::string& error() const override { return error_; }

 private:
  bool fail(const std::string& what, int code = 0);
  bool openVideo();
  bool openSound();
  bool encodeVideo(AVFrame* frame);
  bool encodeSound(AVFrame* frame);
  bool encodeSoundBlock(size_t count);
  bool writeVideoPacket(AVPacket* packet);
  void close();

  Settings settings_;
  std::string error_;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* video_ = nullptr;
  AVCodecContext* sound_ = nullptr;
  AVStream* videoStream_ = nullptr;
  AVStream* soundStream_ = nullptr;
  SwsContext* toYuv_ = nullptr;
  AVFrame* picture_ = nullptr;
  AVFrame* soundFrame_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVPacket* heldVideo_ = nullptr;  // written once the next one gives its duration
  bool holding_ = false;
  bool headerWritten_ = false;
  int64_t lastMs_ = -1, lastInterval_ = 40;
  std::vector<int16_t> pendingSound_;
  int64_t soundSamples_ = 0;  // samples handed to the encoder so far
};

}  // namespace

FfmpegMp4Writer::~FfmpegMp4Writer() {
  close();
}

void FfmpegMp4Writer::close() {
  if (format_) {
    if (format_->pb) avio_closep(&format_->pb);
    avformat_free_context(format_);
    format_ = nullptr;
  }
  avcodec_free_context(&video_);
  avcodec_free_context(&sound_);
  sws_freeContext(toYuv_);
  toYuv_ = nullptr;
  av_frame_free(&picture_);
  av_frame_free(&soundFrame_);
  av_packet_free(&packet_);
  av_packet_free(&heldVideo_);
}

bool FfmpegMp4Writer::fail(const std::string& what, int code) {
  error_ = what;
  if (code < 0) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    error_ += std::string(": ") + text;
  }
  return false;
}

bool FfmpegMp4Writer::open(const std::string& path, const Settings& settings) {
  settings_ = settings;
  // FFmpeg's own notes stay quiet; its failures come back through error().
  av_log_set_level(AV_LOG_ERROR);
  if (settings.width <= 0 || settings.height <= 0 || settings.width % 2 || settings.height % 2)
    return fail("the picture size " + std::to_string(settings.width) + " x " +
                std::to_string(settings.height) + " cannot be encoded as yuv420p");
  int rc = avformat_alloc_output_context2(&format_, nullptr, "mp4", path.c_str());
  if (rc < 0 || !format_) return fail("cannot make an MP4 file", rc);
  packet_ = av_packet_alloc();
  heldVideo_ = av_packet_alloc();
  if (!packet_ || !heldVideo_) return fail("out of memory");
  if (!openVideo()) return false;
  if (settings.sound && !openSound()) return false;
  rc = avio_open(&format_->pb, path.c_str(), AVIO_FLAG_WRITE);
  if (rc < 0) return fail("cannot be written", rc);
  rc = avformat_write_header(format_, nullptr);
  if (rc < 0) return fail("cannot write the MP4 header", rc);
  headerWritten_ = true;
  return true;
}

bool FfmpegMp4Writer::openVideo() {
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) return fail("FFmpeg has no libx264 encoder");
  video_ = avcodec_alloc_context3(codec);
  if (!video_) return fail("out of memory");
  video_->width = settings_.width;
  video_->height = settings_.height;
  video_->pix_fmt = AV_PIX_FMT_YUV420P;
  video_->time_base = kMilliseconds;
  video_->thread_count = settings_.threads;
  // Packets in display order: each one's duration is then the gap to the next, and the last
  // picture's end is the file's end.
  video_->max_b_frames = 0;
  video_->colorspace = AVCOL_SPC_SMPTE170M;
  video_->color_primaries = AVCOL_PRI_SMPTE170M;
  video_->color_trc = AVCOL_TRC_SMPTE170M;
  video_->color_range = AVCOL_RANGE_MPEG;
  if (format_->oformat->flags & AVFMT_GLOBALHEADER) video_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(video_->priv_data, "preset", "veryfast", 0);
  av_opt_set_double(video_->priv_data, "crf", settings_.crf, 0);
  int rc = avcodec_open2(video_, codec, nullptr);
  if (rc < 0) return fail("cannot open the H.264 encoder", rc);
  videoStream_ = avformat_new_stream(format_, nullptr);
  if (!videoStream_) return fail("out of memory");
  videoStream_->time_base = kMilliseconds;
  rc = avcodec_parameters_from_context(videoStream_->codecpar, video_);
  if (rc < 0) return fail("cannot describe the video stream", rc);

  picture_ = av_frame_alloc();
  if (!picture_) return fail("out of memory");
  picture_->format = AV_PIX_FMT_YUV420P;
  picture_->width = settings_.width;
  picture_->height = settings_.height;
  rc = av_frame_get_buffer(picture_, 0);
  if (rc < 0) return fail("out of memory", rc);
  // Same size in and out: only the colour conversion and the chroma subsampling, which averages
  // (area) so that saturated edges keep their colour best (7 dB over bilinear in blue).
  toYuv_ =
      sws_getContext(settings_.width, settings_.height, AV_PIX_FMT_RGB24, settings_.width,
                     settings_.height, AV_PIX_FMT_YUV420P,
                     SWS_AREA | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INP, nullptr, nullptr, nullptr);
  if (!toYuv_) return fail("cannot convert pictures to yuv420p");
  return true;
}

bool FfmpegMp4Writer::openSound() {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
  if (!codec) return fail("FFmpeg has no AAC encoder");
  sound_ = avcodec_alloc_context3(codec);
  if (!sound_) return fail("out of memory");
  // The recorders' rate is one AAC accepts: no resampling.
  sound_->sample_rate = kSoundRate;
  sound_->sample_fmt = AV_SAMPLE_FMT_FLTP;
  av_channel_layout_default(&sound_->ch_layout, 1);
  sound_->bit_rate = 32000;
  sound_->time_base = AVRational{1, kSoundRate};
  if (format_->oformat->flags & AVFMT_GLOBALHEADER) sound_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int rc = avcodec_open2(sound_, codec, nullptr);
  if (rc < 0) return fail("cannot open the AAC encoder", rc);
  soundStream_ = avformat_new_stream(format_, nullptr);
  if (!soundStream_) return fail("out of memory");
  soundStream_->time_base = sound_->time_base;
  rc = avcodec_parameters_from_context(soundStream_->codecpar, sound_);
  if (rc < 0) return fail("cannot describe the sound stream", rc);
  soundFrame_ = av_frame_alloc();
  if (!soundFrame_) return fail("out of memory");
  soundFrame_->format = sound_->sample_fmt;
  soundFrame_->nb_samples = sound_->frame_size;
  soundFrame_->sample_rate = kSoundRate;
  rc = av_channel_layout_copy(&soundFrame_->ch_layout, &sound_->ch_layout);
  if (rc >= 0) rc = av_frame_get_buffer(soundFrame_, 0);
  if (rc < 0) return fail("out of memory", rc);
  return true;
}

bool FfmpegMp4Writer::addPicture(const std::vector<uint8_t>& rgb, int64_t ms) {
  if (!video_) return fail("the file is not open");
  if (rgb.size() != size_t(settings_.width) * size_t(settings_.height) * 3)
    return fail("a picture has the wrong size");
  if (ms <= lastMs_) return fail("picture times must grow");
  int rc = av_frame_make_writable(picture_);
  if (rc < 0) return fail("out of memory", rc);
  const uint8_t* planes[1] = {rgb.data()};
  const int strides[1] = {settings_.width * 3};
  sws_scale(toYuv_, planes, strides, 0, settings_.height, picture_->data, picture_->linesize);
  picture_->pts = ms;
  if (lastMs_ >= 0) lastInterval_ = ms - lastMs_;
  lastMs_ = ms;
  return encodeVideo(picture_);
}

bool FfmpegMp4Writer::encodeVideo(AVFrame* frame) {
  int rc = avcodec_send_frame(video_, frame);
  if (rc < 0) return fail("the H.264 encoder refused a picture", rc);
  for (;;) {
    rc = avcodec_receive_packet(video_, packet_);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) return fail("the H.264 encoder failed", rc);
    if (!writeVideoPacket(packet_)) return false;
  }
}

bool FfmpegMp4Writer::writeVideoPacket(AVPacket* packet) {
  // Without B-pictures packets come in display order: the held one lasts until this one.
  if (holding_) {
    heldVideo_->duration = packet->pts - heldVideo_->pts;
    av_packet_rescale_ts(heldVideo_, kMilliseconds, videoStream_->time_base);
    heldVideo_->stream_index = videoStream_->index;
    const int rc = av_interleaved_write_frame(format_, heldVideo_);
    if (rc < 0) return fail("cannot be written", rc);
  }
  av_packet_move_ref(heldVideo_, packet);
  holding_ = true;
  return true;
}

bool FfmpegMp4Writer::addSound(const int16_t* samples, size_t count) {
  if (!sound_) return true;
  pendingSound_.insert(pendingSound_.end(), samples, samples + count);
  const size_t block = size_t(sound_->frame_size);
  // Sound that runs ahead of the pictures waits: the file's sound ends with its last picture.
  const int64_t shownUntil = (lastMs_ + lastInterval_) * kSoundRate / 1000;
  while (pendingSound_.size() >= block && soundSamples_ + int64_t(block) <= shownUntil) {
    if (!encodeSoundBlock(block)) return false;
    pendingSound_.erase(pendingSound_.begin(), pendingSound_.begin() + long(block));
  }
  return true;
}

bool FfmpegMp4Writer::encodeSoundBlock(size_t count) {
  int rc = av_frame_make_writable(soundFrame_);
  if (rc < 0) return fail("out of memory", rc);
  soundFrame_->nb_samples = int(count);
  auto* out = reinterpret_cast<float*>(soundFrame_->data[0]);
  for (size_t i = 0; i < count; ++i) out[i] = float(pendingSound_[i]) / 32768.0f;
  soundFrame_->pts = soundSamples_;
  soundSamples_ += int64_t(count);
  return encodeSound(soundFrame_);
}

bool FfmpegMp4Writer::encodeSound(AVFrame* frame) {
  int rc = avcodec_send_frame(sound_, frame);
  if (rc < 0) return fail("the AAC encoder refused sound", rc);
  for (;;) {
    rc = avcodec_receive_packet(sound_, packet_);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) return fail("the AAC encoder failed", rc);
    av_packet_rescale_ts(packet_, sound_->time_base, soundStream_->time_base);
    packet_->stream_index = soundStream_->index;
    rc = av_interleaved_write_frame(format_, packet_);
    if (rc < 0) return fail("cannot be written", rc);
  }
}

bool FfmpegMp4Writer::finish() {
  if (!headerWritten_) return fail("the file is not open");
  if (!encodeVideo(nullptr)) return false;
  if (holding_) {
    // The last picture lasts as long as the one before it.
    AVPacket* last = av_packet_clone(heldVideo_);
    if (!last) return fail("out of memory");
    last->pts += lastInterval_;
    last->dts = last->pts;
    const bool ok = writeVideoPacket(last);  // writes the held one with its duration
    av_packet_free(&last);
    if (!ok) return false;
    holding_ = false;
  }
  if (sound_) {
    // Sound ends with the last picture.
    const int64_t end = (lastMs_ + lastInterval_) * kSoundRate / 1000 - soundSamples_;
    if (end < int64_t(pendingSound_.size()))
      pendingSound_.resize(size_t(std::max<int64_t>(end, 0)));
    if (!pendingSound_.empty() && !encodeSoundBlock(pendingSound_.size())) return false;
    pendingSound_.clear();
    if (!encodeSound(nullptr)) return false;
  }
  int rc = av_interleaved_write_frame(format_, nullptr);
  if (rc < 0) return fail("cannot be written", rc);
  rc = av_write_trailer(format_);
  if (rc < 0) return fail("cannot write the MP4 index", rc);
  rc = avio_closep(&format_->pb);
  if (rc < 0) return fail("cannot be written", rc);
  return true;
}

}  // namespace kd

extern "C" __attribute__((visibility("default"))) kd::Mp4Writer* kdCreateMp4Writer() {
  return new kd::FfmpegMp4Writer();
}
