#pragma once
// The three streams of a converted recording: video ("vids", uncompressed bottom-up DIB or
// Motion JPEG), sound ("auds", PCM 8 kHz 16-bit mono) and captions ("txts", handler DRAW).
#include <vector>

#include "convert/avi_writer.h"
#include "convert/conversion_plan.h"

namespace kd {

enum class AviVideoCodec { Raw, Mjpeg };

enum ConversionStream { kVideoStream = 0, kAudioStream = 1, kTextStream = 2 };

constexpr int kAviSoundRate = 8000;

std::vector<AviStreamSetup> conversionStreams(const ConversionPlan& plan, AviVideoCodec codec);
AviFileSetup conversionFileSetup(const ConversionPlan& plan);

}  // namespace kd
