// kdtool audio: the decoded sound of a recording as a WAV file, frame after frame through one
// decoder, as the play window hears it.
#include <cstdio>
#include <memory>

#include "audio/sound_codec.h"
#include "audio/wav_writer.h"
#include "cli/command.h"
#include "cli/recording_open.h"
#include "recording/frame_packet.h"

namespace kd::cli {

namespace {

int run(const std::vector<std::string>& args) {
  Options opt(args, {});
  if (!opt.ok()) return fail("audio", opt.error());
  if (opt.positional().size() != 1 || !opt.has("out")) return usageError("audio");
  bool valid = true;
  const int channel = int(opt.getInt("channel", -1, valid));
  if (!valid) return fail("audio", "malformed --channel");
  const std::string& path = opt.positional()[0];
  const std::string out = opt.get("out");

  RecordingInfo info;
  RecordingReader reader;
  std::string reason;
  if (!openRecording(path, channel, info, reader, reason)) return fail(path, reason);
  WavWriter wav;
  if (!wav.open(out)) return fail(out, wav.error());

  PictureFrame packet(info.sourceKey(), info.pictureWidth(), info.pictureHeight());
  std::unique_ptr<SoundDecoder> decoder;
  const char* family = "none";
  uint32_t frames = 0;
  std::vector<int16_t> pcm;
  while (reader.readFrame(packet)) {
    if (!(packet.flags & frame_flags::kAudio) || packet.audioSize == 0) continue;
    if (!decoder) {
      // The family is fixed by the first frame with sound, as in the play window.
      const SoundFamily f = soundFamilyForCodecNibble(frame_flags::codecFamily(packet.flags));
      decoder = makeSoundDecoder(f);
      family = f == SoundFamily::ImaAdpcm ? "ima" : "g726";
    }
    pcm.clear();
    if (!decodeSoundPayload(*decoder, packet.audio(), packet.audioSize, pcm)) {
      std::fprintf(stderr, "kdtool: %s: frame %d/%d: sound payload of %u bytes refused\n",
                   path.c_str(), packet.block, packet.frameInBlock, packet.audioSize);
      continue;
    }
    if (!wav.append(pcm.data(), pcm.size())) return fail(out, wav.error());
    ++frames;
  }
  if (!wav.finish()) return fail(out, wav.error());
  if (reader.lastError() != "end of recording") {
    std::fprintf(stderr, "kdtool: %s: reading stopped at %s\n", path.c_str(),
                 reader.lastError().c_str());
  }
  std::printf("%s: %u frames with sound (%s), %llu samples\n", out.c_str(), frames, family,
              static_cast<unsigned long long>(wav.samplesWritten()));
  return 0;
}

const CommandRegistrar registrar("audio", "--out FILE.wav [--channel N] FILE", run);

}  // namespace

}  // namespace kd::cli
