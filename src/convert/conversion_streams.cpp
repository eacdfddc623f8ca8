#include "convert/conversion_streams.h"

#include "convert/picture_fit.h"
#include "recording/byte_order.h"

namespace kd {

namespace {

// BITMAPINFOHEADER: 24 bits, one plane, bottom-up (positive height); no colour table.
std::vector<uint8_t> pictureFormat(int width, int height, AviVideoCodec codec) {
  ByteComposer f;
  f.u32(40);
  f.u32(uint32_t(width));
  f.u32(uint32_t(height));
  f.u16(1);
  f.u16(24);
  f.u32(codec == AviVideoCodec::Mjpeg ? 0x47504A4Du : 0);  // "MJPG" or BI_RGB
  f.u32(uint32_t(dibStride(width) * size_t(height)));
  f.zeros(16);  // resolution and colour counts
  return f.bytes;
}

// WAVEFORMATEX: PCM, mono, 8000 samples and 16000 bytes a second, blocks of 2, 16 bits.
std::vector<uint8_t> soundFormat() {
  ByteComposer f;
  f.u16(1);
  f.u16(1);
  f.u32(kAviSoundRate);
  f.u32(2 * kAviSoundRate);
  f.u16(2);
  f.u16(16);
  f.u16(0);
  return f.bytes;
}

}  // namespace

std::vector<AviStreamSetup> conversionStreams(const ConversionPlan& plan, AviVideoCodec codec) {
  const int16_t w = int16_t(plan.outWidth), h = int16_t(plan.outHeight);
  std::vector<AviStreamSetup> streams(3);
  AviStreamSetup& video = streams[kVideoStream];
  video.type = "vids";
  video.handler = codec == AviVideoCodec::Mjpeg ? "MJPG" : "";
  video.chunkKind = codec == AviVideoCodec::Mjpeg ? "dc" : "db";
  video.scale = plan.videoScale;
  video.rate = plan.videoRate;
  video.initialFrames = 1;
  video.suggestedBuffer = uint32_t(plan.outWidth) * uint32_t(plan.outHeight) * 3;
  video.right = w;
  video.bottom = h;
  video.format = pictureFormat(plan.outWidth, plan.outHeight, codec);

  AviStreamSetup& audio = streams[kAudioStream];
  audio.type = "auds";
  audio.chunkKind = "wb";
  audio.scale = 2;
  audio.rate = 2 * kAviSoundRate;
  audio.initialFrames = 1;
  audio.suggestedBuffer = 1920;
  audio.sampleSize = 2;
  audio.format = soundFormat();

  AviStreamSetup& text = streams[kTextStream];
  text.type = "txts";
  text.handler = "DRAW";
  text.chunkKind = "tx";
  text.scale = 1;
  text.rate = plan.textRate;
  text.suggestedBuffer = 16;
  text.top = h;
  text.right = w;
  text.bottom = int16_t(h + 20);
  text.format = {4, 0, 0, 0};
  return streams;
}

AviFileSetup conversionFileSetup(const ConversionPlan& plan) {
  AviFileSetup setup;
  setup.microsPerFrame =
      plan.videoRate ? uint32_t(uint64_t(plan.videoScale) * 1000000 / plan.videoRate) : 0;
  setup.width = uint32_t(plan.outWidth);
  setup.height = uint32_t(plan.outHeight);
  return setup;
}

}  // namespace kd
