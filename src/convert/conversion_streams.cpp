#include "convert/conversion_streams.h"

#include "convert/picture_fit.h"

namespace kd {

namespace {

// Little-endian; bytes past the value's four are zeros.
void put(std::vector<uint8_t>& v, uint32_t x, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(i < 4 ? uint8_t(x >> (8 * i)) : 0);
}

// BITMAPINFOHEADER: 24 bits, one plane, bottom-up (positive height); no colour table.
std::vector<uint8_t> pictureFormat(int width, int height, AviVideoCodec codec) {
  std::vector<uint8_t> f;
  put(f, 40, 4);
  put(f, uint32_t(width), 4);
  put(f, uint32_t(height), 4);
  put(f, 1, 2);
  put(f, 24, 2);
  put(f, codec == AviVideoCodec::Mjpeg ? 0x47504A4Du : 0, 4);  // "MJPG" or BI_RGB
  put(f, uint32_t(dibStride(width) * size_t(height)), 4);
  put(f, 0, 16);  // resolution and colour counts
  return f;
}

// WAVEFORMATEX: PCM, mono, 8000 samples and 16000 bytes a second, blocks of 2, 16 bits.
std::vector<uint8_t> soundFormat() {
  std::vector<uint8_t> f;
  put(f, 1, 2);
  put(f, 1, 2);
  put(f, kAviSoundRate, 4);
  put(f, 2 * kAviSoundRate, 4);
  put(f, 2, 2);
  put(f, 16, 2);
  put(f, 0, 2);
  return f;
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
