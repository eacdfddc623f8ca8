// The system's sound devices through Qt Multimedia, built as a module of its own: the player loads
// it (and the multimedia libraries behind it) beside its start-up instead of before it.
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QList>
#include <QMediaDevices>
#include <QTimer>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/audio_sink.h"

namespace kd {

namespace {

constexpr qint64 kBytesPerSecond = kAudioSampleRate * 2;

QAudioFormat soundFormat() {
  QAudioFormat format;
  format.setSampleRate(kAudioSampleRate);
  format.setChannelCount(1);
  format.setSampleFormat(QAudioFormat::Int16);
  return format;
}

// The queued buffers as one endless stream the sink pulls from, unbuffered: silence fills the
// gaps, so the stream's byte position keeps step with the sink's playing time, and a buffer is
// over once the sink has played past the position where its last byte went out.
class BufferStream : public QIODevice {
 public:
  struct Finished {
    uint64_t tag;
    qint64 end;  // stream position after its last byte
  };

  bool isSequential() const override { return true; }
  qint64 bytesAvailable() const override { return kBytesPerSecond + QIODevice::bytesAvailable(); }

  void append(const int16_t* samples, size_t count, uint64_t tag) {
    std::lock_guard<std::mutex> lock(mutex_);
    Buffer b{tag, std::vector<char>(count * 2), 0};
    std::memcpy(b.bytes.data(), samples, count * 2);
    buffers_.push_back(std::move(b));
    queuedBytes_ += qint64(count * 2);
  }
  void clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    buffers_.clear();
    handedOut_.clear();
    position_ = 0;
    queuedBytes_ = 0;
    startBytes_ = -1;
    started_ = false;
    waited_ = 0;
  }
  // A sink fills its whole buffer the moment it starts. Sound shorter than that would be
  // followed at once by a stretch of silence (the next buffer comes a frame later), so the
  // first sound waits until it can fill `bytes`, or until it has waited that long.
  void startWhenQueued(qint64 bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    startBytes_ = bytes;
  }
  qint64 position() {
    std::lock_guard<std::mutex> lock(mutex_);
    return position_;
  }
  // Buffers whose end the sink has played past, oldest first.
  std::vector<uint64_t> takeFinished(qint64 played) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<uint64_t> tags;
    while (!handedOut_.empty() && handedOut_.front().end <= played) {
      tags.push_back(handedOut_.front().tag);
      handedOut_.pop_front();
    }
    return tags;
  }

 protected:
  qint64 readData(char* data, qint64 max) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!started_ && startBytes_ >= 0) {
      started_ = queuedBytes_ >= startBytes_ || waited_ >= startBytes_;
    }
    if (!started_) {
      if (!buffers_.empty()) waited_ += max;
      std::memset(data, 0, size_t(max));
      position_ += max;
      return max;
    }
    qint64 done = 0;
    while (done < max && !buffers_.empty()) {
      Buffer& b = buffers_.front();
      const qint64 n = std::min<qint64>(max - done, qint64(b.bytes.size() - b.sent));
      std::memcpy(data + done, b.bytes.data() + b.sent, size_t(n));
      b.sent += size_t(n);
      done += n;
      position_ += n;
      queuedBytes_ -= n;
      if (b.sent == b.bytes.size()) {
        handedOut_.push_back(Finished{b.tag, position_});
        buffers_.pop_front();
      }
    }
    std::memset(data + done, 0, size_t(max - done));
    position_ += max - done;
    return max;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  struct Buffer {
    uint64_t tag;
    std::vector<char> bytes;
    size_t sent;
  };
  std::mutex mutex_;
  std::deque<Buffer> buffers_;
  std::deque<Finished> handedOut_;
  qint64 position_ = 0;
  qint64 queuedBytes_ = 0;  // not yet handed out
  qint64 startBytes_ = -1;  // not known before the sink has started
  bool started_ = false;
  qint64 waited_ = 0;  // silence handed out while sound was queued, before the start
};

class QtAudioSink : public AudioSink {
 public:
  QtAudioSink(const QAudioDevice& device, TaskPoster& ui, BufferDone done)
      : reporter_(ui, std::move(done)), sink_(device, soundFormat()) {
    poll_.setInterval(10);
    QObject::connect(&poll_, &QTimer::timeout, [this] { reportFinished(); });
  }
  ~QtAudioSink() override {
    poll_.stop();
    sink_.stop();
    stream_.close();
  }

  bool start() {
    stream_.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    sink_.start(&stream_);
    if (sink_.error() != QAudio::NoError) return false;
    stream_.startWhenQueued(sink_.bufferSize());
    poll_.start();
    return true;
  }
  bool queue(const int16_t* samples, size_t count, uint64_t tag) override {
    if (!samples || count == 0 || sink_.error() == QAudio::OpenError) return false;
    stream_.append(samples, count, tag);
    return true;
  }
  void reset() override {
    sink_.reset();
    stream_.clear();
    reporter_.cancelPending();
    sink_.start(&stream_);
    stream_.startWhenQueued(sink_.bufferSize());
  }
  void setVolume(double level) override { sink_.setVolume(level); }

 private:
  void reportFinished() {
    // What the sink has pulled minus what still waits in its own buffer has been played.
    const qint64 played = stream_.position() - (sink_.bufferSize() - sink_.bytesFree());
    for (uint64_t tag : stream_.takeFinished(played)) reporter_.report(tag);
  }

  BufferReporter reporter_;
  BufferStream stream_;
  QAudioSink sink_;
  QTimer poll_;
};

class QtAudioDevices : public AudioDevices {
 public:
  QtAudioDevices() : devices_(QMediaDevices::audioOutputs()) {}
  int count() const override { return int(devices_.size()); }
  bool acceptsFormat(int index) const override {
    return index >= 0 && index < count() && devices_[index].isFormatSupported(soundFormat());
  }
  std::unique_ptr<AudioSink> open(int index, TaskPoster& ui, AudioSink::BufferDone done) override {
    if (!acceptsFormat(index)) return nullptr;
    auto sink = std::make_unique<QtAudioSink>(devices_[index], ui, std::move(done));
    if (!sink->start()) return nullptr;
    return sink;
  }

 private:
  QList<QAudioDevice> devices_;
};

}  // namespace

// The module's one entry point; the caller owns the result.
extern "C" __attribute__((visibility("default"))) AudioDevices* kdCreateQtAudioDevices() {
  return new QtAudioDevices();
}

}  // namespace kd
