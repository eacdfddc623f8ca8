#include "convert/avi_conversion.h"

#include <sys/stat.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "audio/sound_codec.h"
#include "convert/avi_writer.h"
#include "convert/conversion_paths.h"
#include "convert/mjpeg_encoder.h"
#include "convert/picture_fit.h"
#include "decode/dispatch/recording_decoder.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd {

static_assert(std::endian::native == std::endian::little, "PCM samples are written as they lie");

struct AviConversion::Job {
  RecordingInfo info;
  RecordingReader reader;
  std::unique_ptr<PictureFrame> packet;
  RecordingDecoder decoder;
  std::unique_ptr<SoundDecoder> sound;
  std::unique_ptr<PictureFitter> fitter;
  std::unique_ptr<MjpegEncoder> mjpeg;
  std::vector<uint8_t> frame;
  std::vector<int16_t> pcm;
  AviWriter writer;
  std::string input;
  std::string output;
  std::string temporary;  // the output until it is complete
  bool created = false;

  // Where the decoder leaves its rows: the DCT codec's planes follow frame flags bit 14, the
  // legacy decoder's rows start at the top only in format 2, the others at the top.
  PictureLayout layout(uint16_t flags) const {
    if (decoder.legacy) return {false, info.formatVersion == 2};
    if (decoder.family == 0 || decoder.family == 1)
      return {true, (flags & frame_flags::kTopDown) != 0};
    return {false, true};
  }
};

namespace {

std::string frameAddress(const FramePacket& packet) {
  return "frame " + std::to_string(packet.block) + "/" + std::to_string(packet.frameInBlock);
}

}  // namespace

AviConversion::AviConversion() : job_(std::make_unique<Job>()) {}

AviConversion::~AviConversion() {
  discardOutput();
}

bool AviConversion::fail(ConversionFailure failure, const std::string& path,
                         const std::string& reason) {
  failure_ = failure;
  failedPath_ = path;
  error_ = reason;
  discardOutput();
  return false;
}

void AviConversion::discardOutput() {
  if (!job_->created) return;
  job_->writer.abandon();
  std::remove(job_->temporary.c_str());
  job_->created = false;
}

bool AviConversion::openRecording(const std::string& input) {
  Job& job = *job_;
  job.input = input;
  if (!job.info.probe(input)) {
    const std::string why = job.info.parseError();
    return fail(ConversionFailure::CannotOpen, input, why.empty() ? "cannot be read" : why);
  }
  // The four-camera format is not converted: it has no single picture stream.
  if (job.info.formatVersion == 8)
    return fail(ConversionFailure::CannotOpen, input, "four-camera recordings are not converted");
  if (!job.reader.open(job.info))
    return fail(ConversionFailure::CannotOpen, input, job.reader.lastError());
  std::string reason;
  if (!planConversion(job.reader, plan_, reason))
    return fail(ConversionFailure::FormatRefused, input, reason);
  job.packet = std::make_unique<PictureFrame>(job.reader.sourceKey(), plan_.decodedWidth,
                                              plan_.decodedHeight);
  if (!job.reader.readFrame(*job.packet))
    return fail(ConversionFailure::CannotOpen, input,
                "the first frame cannot be read: " + job.reader.lastError());
  if (!openRecordingDecoder(job.info, job.packet->flags, DecodeContext::AviConversion, job.decoder,
                            reason))
    return fail(ConversionFailure::CannotOpen, input, reason);
  job.sound =
      makeSoundDecoder(soundFamilyForCodecNibble(frame_flags::codecFamily(job.packet->flags)));
  job.fitter = std::make_unique<PictureFitter>(plan_.outWidth, plan_.outHeight);
  job.frame.assign(job.fitter->frameBytes(), 0);
  return true;
}

bool AviConversion::createOutput(const std::string& output, const AviConversionSettings& settings) {
  Job& job = *job_;
  if (!job.packet) return fail(ConversionFailure::CannotOpen, job.input, "no recording is open");
  if (checkConversionPaths(job.input, output) == PathProblem::OutputIsInput)
    return fail(ConversionFailure::CannotCreate, output, "the output is the recording itself");
  struct stat existing;
  if (::stat(output.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
    return fail(ConversionFailure::CannotCreate, output, "is a folder");
  job.output = output;
  job.temporary = output + ".part" + std::to_string(::getpid());
  if (settings.codec == AviVideoCodec::Mjpeg)
    job.mjpeg = std::make_unique<MjpegEncoder>(plan_.outWidth, plan_.outHeight, settings.quality);
  job.created = true;
  if (!job.writer.open(job.temporary, conversionFileSetup(plan_),
                       conversionStreams(plan_, settings.codec)))
    return fail(ConversionFailure::CannotCreate, output, job.writer.error());
  return true;
}

bool AviConversion::run(const Progress& progress, const std::atomic<bool>* stop) {
  Job& job = *job_;
  if (!job.created) return fail(ConversionFailure::CannotCreate, job.output, "no output is open");
  PictureFrame& packet = *job.packet;
  const std::string caption = plan_.caption + '\0';
  for (uint32_t i = 0; i < plan_.frameCount; ++i) {
    if (stop && stop->load())
      return fail(
          ConversionFailure::Stopped, job.output,
          "stopped at frame " + std::to_string(i) + " of " + std::to_string(plan_.frameCount));
    if ((packet.flags & frame_flags::kAudio) && packet.audioSize != 0) {
      // A payload the sound decoder refuses adds no samples, as in playback.
      job.pcm.clear();
      decodeSoundPayload(*job.sound, packet.audio(), packet.audioSize, job.pcm);
      if (!job.pcm.empty())
        job.writer.write(kAudioStream, job.pcm.data(), uint32_t(job.pcm.size() * 2), true);
    }
    if (packet.flags & frame_flags::kNoPicture) {
      // No sample: an empty chunk keeps the later pictures at their frame index.
      job.writer.write(kVideoStream, nullptr, 0, false);
    } else {
      // A frame the decoder refuses leaves the previous picture, as the player shows it.
      int32_t delay = 0;
      decodeFrameRecord(job.decoder, packet, false, delay);
      job.fitter->fit(*packet.picture(), job.layout(packet.flags), job.frame.data());
      if (job.mjpeg) {
        const uint8_t* jpeg = nullptr;
        size_t size = 0;
        if (!job.mjpeg->encode(job.frame.data(), job.fitter->stride(), jpeg, size))
          return fail(ConversionFailure::Failed, job.output,
                      frameAddress(packet) + ": " + job.mjpeg->error());
        job.writer.write(kVideoStream, jpeg, uint32_t(size), true);
      } else {
        job.writer.write(kVideoStream, job.frame.data(), uint32_t(job.frame.size()), true);
      }
    }
    job.writer.write(kTextStream, caption.data(), uint32_t(caption.size()), true);
    if (!job.writer.error().empty())
      return fail(ConversionFailure::Failed, job.output,
                  frameAddress(packet) + ": " + job.writer.error());
    if (i + 1 < plan_.frameCount && !job.reader.readFrame(packet))
      return fail(ConversionFailure::Failed, job.input,
                  "reading stopped after " + frameAddress(packet) + " (" + std::to_string(i + 1) +
                      " of " + std::to_string(plan_.frameCount) +
                      " frames): " + job.reader.lastError());
    if (progress) progress(i + 1, plan_.frameCount);
  }
  if (!job.writer.finish()) return fail(ConversionFailure::Failed, job.output, job.writer.error());
  if (std::rename(job.temporary.c_str(), job.output.c_str()) != 0)
    return fail(ConversionFailure::Failed, job.output,
                "cannot rename the finished file into place");
  job.created = false;
  job.reader.close();
  return true;
}

bool convertToAvi(const std::string& input, const std::string& output,
                  const AviConversionSettings& settings, AviConversion& conversion,
                  const AviConversion::Progress& progress, const std::atomic<bool>* stop) {
  return conversion.openRecording(input) && conversion.createOutput(output, settings) &&
         conversion.run(progress, stop);
}

}  // namespace kd
