#include "export/mp4_export.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "audio/sound_codec.h"
#include "decode/dispatch/picture_transfer.h"
#include "decode/dispatch/recording_decoder.h"
#include "export/burned_captions.h"
#include "export/mp4_writer.h"
#include "export/picture_stretch.h"
#include "export/sound_timeline.h"
#include "recording/frame_packet.h"
#include "recording/recording_reader.h"

namespace kd {

namespace {

namespace fs = std::filesystem;

ExportOutcome failed(const std::string& subject, const std::string& reason) {
  ExportOutcome o;
  o.subject = subject;
  o.reason = reason;
  return o;
}

// A new, empty file beside `output`, removed again unless kept.
class TemporaryBeside {
 public:
  explicit TemporaryBeside(const std::string& output) {
    const fs::path out(output);
    std::string pattern =
        (out.parent_path() / ("." + out.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) {
      ::close(fd);
      path_ = pattern;
    }
  }
  ~TemporaryBeside() {
    if (!path_.empty()) {
      std::error_code ec;
      fs::remove(path_, ec);
    }
  }
  const std::string& path() const { return path_; }
  // Moves the file to `output`; false (and the file removed) on failure.
  bool keepAs(const std::string& output) {
    std::error_code ec;
    fs::rename(path_, output, ec);
    if (ec) return false;
    path_.clear();
    return true;
  }

 private:
  std::string path_;
};

bool sameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// Whether any record from `first` to `last` carries sound (the sound track is made only then).
bool rangeHasSound(RecordingReader& reader, uint32_t capacity, const FrameRange& range) {
  FramePacket packet(capacity, PictureFrame::kAudioCapacity);
  int block = range.firstBlock;
  uint32_t n = reader.framesBefore(block);
  for (bool ok = reader.readFrame(packet, block, 0); ok && n <= range.last;
       ok = reader.readFrame(packet), ++n)
    if (n >= range.first && (packet.flags & frame_flags::kAudio) && packet.audioSize > 0)
      return true;
  return false;
}

// Milliseconds from the first picture's stamp, on the 32-bit frame clock; a stamp that steps back
// gives a negative time.
int64_t sinceFirst(uint32_t stamp, uint32_t firstStamp) {
  return int64_t(int32_t(stamp - firstStamp));
}

}  // namespace

ExportOutcome exportMp4(const ExportRequest& request, const ExportProgress& progress) {
  const std::string& path = request.input;
  const fs::path out(request.output);
  std::error_code ec;
  const fs::path folder = out.parent_path().empty() ? fs::path(".") : out.parent_path();
  if (!fs::is_directory(folder, ec))
    return failed(request.output, "the folder " + folder.string() + " does not exist");
  if (sameFile(path, request.output)) return failed(request.output, "is the recording itself");

  RecordingInfo info;
  if (!info.probe(path))
    return failed(path, info.parseError().empty() ? "cannot be read" : info.parseError());
  RecordingReader reader;
  const int channel = info.formatVersion == 8 ? std::max(request.channel, 0) : -1;
  if (channel > 3) return failed(path, "channel must be 0 to 3");
  if (!reader.open(info, RecordingReader::kReadMode, channel))
    return failed(path, reader.lastError());
  const int width = info.pictureWidth(), height = info.pictureHeight();
  const int displayWidth = info.displayWidth(), displayHeight = info.displayHeight();
  if (width <= 0 || height <= 0 || displayWidth <= 0 || displayHeight <= 0)
    return failed(path, "the recording has no picture size");

  FrameRange range;
  std::string reason;
  if (!resolveFrameRange(reader, request.from, request.to, range, reason))
    return failed(path, reason);
  const uint32_t capacity = uint32_t(width) * uint32_t(height) * 2;
  const bool withSound = rangeHasSound(reader, capacity, range);

  PictureFrame packet(info.sourceKey(), width, height);
  if (!reader.readFrame(packet, range.firstBlock, 0)) return failed(path, reader.lastError());
  const DecodeContext context =
      info.formatVersion == 8 ? DecodeContext::QuadPlayback : DecodeContext::PlayerWindow;
  RecordingDecoder decoder;
  if (!openRecordingDecoder(info, packet.flags, context, decoder, reason))
    return failed(path, reason);

  TemporaryBeside temporary(request.output);
  if (temporary.path().empty()) return failed(request.output, "cannot be created");
  std::unique_ptr<Mp4Writer> made = makeMp4Writer(reason);
  if (!made) return failed(request.output, reason);
  Mp4Writer& writer = *made;
  Mp4Writer::Settings settings;
  // 4:2:0 needs even sizes: an odd display size gains a repeated last column or row.
  settings.width = evenUp(displayWidth);
  settings.height = evenUp(displayHeight);
  settings.crf = request.crf;
  settings.threads = request.encoderThreads;
  settings.sound = withSound;
  if (!writer.open(temporary.path(), settings)) return failed(request.output, writer.error());

  std::unique_ptr<BurnedCaptions> captions;
  if (request.captions) captions = std::make_unique<BurnedCaptions>(info, channel);
  std::unique_ptr<SoundDecoder> soundDecoder;
  SoundTimeline soundTrack(Mp4Writer::kSoundRate);
  std::vector<int16_t> pcm, placed;
  std::vector<uint8_t> stretched;

  ExportOutcome outcome;
  const uint32_t firstDecoded = reader.framesBefore(range.firstBlock);
  const uint32_t total = range.last - firstDecoded + 1;
  bool started = false;
  uint32_t firstStamp = 0;
  int64_t lastMs = -1;
  // A frame without a new picture shows the last one as the last decode laid it out.
  uint16_t layoutFlags = packet.flags;
  for (uint32_t n = firstDecoded;; ++n) {
    const bool carriesPicture = !(packet.flags & frame_flags::kNoPicture);
    int32_t delay = 0;
    decodeFrameRecord(decoder, packet, true, delay);
    if (carriesPicture) layoutFlags = packet.flags;
    if (n >= range.first && carriesPicture) {
      if (!started) {
        started = true;
        firstStamp = packet.timeStamp;
      }
      // Times must grow in the file: a stamp that does not follows the last by a millisecond.
      int64_t ms = sinceFirst(packet.timeStamp, firstStamp);
      if (ms <= lastMs) ms = lastMs + 1;
      lastMs = ms;
      std::vector<uint8_t> rgb =
          toTopDownRgb(*packet.picture(), pictureLayout(info.formatVersion, layoutFlags, context));
      if (captions) captions->draw(rgb, width, height, reader.secondsAt(packet.timeStamp));
      stretchRgb(rgb, width, height, displayWidth, displayHeight, stretched);
      padToEven(stretched, displayWidth, displayHeight);
      if (!writer.addPicture(stretched, ms)) return failed(request.output, writer.error());
      ++outcome.pictures;
    }
    if (started && withSound && (packet.flags & frame_flags::kAudio) && packet.audioSize > 0) {
      // The family is fixed by the first record with sound, as in the play window.
      if (!soundDecoder)
        soundDecoder =
            makeSoundDecoder(soundFamilyForCodecNibble(frame_flags::codecFamily(packet.flags)));
      pcm.clear();
      if (decodeSoundPayload(*soundDecoder, packet.audio(), packet.audioSize, pcm)) {
        soundTrack.place(std::max<int64_t>(sinceFirst(packet.timeStamp, firstStamp), 0), pcm,
                         placed);
        if (!writer.addSound(placed.data(), placed.size()))
          return failed(request.output, writer.error());
      }
    }
    if (progress && !progress(n - firstDecoded + 1, total)) {
      outcome = failed(request.output, "cancelled");
      outcome.cancelled = true;
      return outcome;
    }
    if (n == range.last) break;
    if (!reader.readFrame(packet)) return failed(path, reader.lastError());
  }
  if (outcome.pictures == 0) return failed(path, "no frame in the range carries a picture");
  if (!writer.finish()) return failed(request.output, writer.error());
  if (!temporary.keepAs(request.output))
    return failed(request.output, "cannot be renamed into place");
  outcome.ok = true;
  outcome.durationMs = lastMs;
  outcome.sound = withSound;
  return outcome;
}

}  // namespace kd
