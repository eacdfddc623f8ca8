#pragma once
// Decoded pictures of one recording kept by absolute frame number, so that stepping back and
// jumping near the shown frame need no decoding. The memory held never exceeds the budget: a
// new picture evicts the one farthest from the shown frame, and is itself refused when every
// picture held is nearer. The shown frame's block and the block before it count as distance 0,
// so they stay whole while the budget can hold them. Safe to use from several threads.
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <vector>

namespace kd {

class DecodedPicture;

class PictureCache {
 public:
  static constexpr size_t kDefaultBudget = size_t(256) << 20;

  explicit PictureCache(size_t budgetBytes = kDefaultBudget);

  // Lowering the budget evicts down to it.
  void setBudget(size_t bytes);
  size_t budget() const;
  // Pixel bytes held.
  size_t bytesHeld() const;
  size_t count() const;

  // Forgets every picture and starts a new generation; pictures offered under an older one are
  // refused, so work begun for another recording cannot fill this one.
  uint64_t reset();
  uint64_t generation() const;

  // The frame shown, and the numbers kept whatever the distance.
  void setPosition(uint32_t shown, uint32_t keepFirst, uint32_t keepLast);
  uint32_t position() const;

  // Stores a copy of `picture` with the delay its decode reported. False when refused (older
  // generation, or nearer pictures fill the budget). A number already held is left as it is.
  bool insert(uint64_t generation, uint32_t number, const DecodedPicture& picture, int32_t delay);
  // The same while playing forward, holding no more than the kept range and one picture: the
  // rest of the budget is the paused fill's, and filling it from playback would fault in fresh
  // pages at every frame. Buffers of pictures left behind are reused.
  bool insertWhilePlaying(uint64_t generation, uint32_t number, const DecodedPicture& picture,
                          int32_t delay);
  // Copies the picture of `number` into `out` (of the same size).
  bool lookup(uint32_t number, DecodedPicture& out, int32_t& delay) const;
  bool contains(uint32_t number) const;
  // Whether every number of [first, last] is held.
  bool containsAll(uint32_t first, uint32_t last) const;
  // Whether a picture of `number` would be stored now (the budget has room or a farther one).
  bool wouldKeep(uint32_t number, size_t bytes) const;

 private:
  struct Entry {
    std::vector<uint8_t> pixels;
    int32_t delay = 0;
  };
  uint32_t distance(uint32_t number) const;
  // The held number farthest from the position; the map must not be empty.
  std::map<uint32_t, Entry>::iterator farthest();
  bool roomFor(uint32_t number, size_t bytes, size_t limit) const;
  bool insertWithin(size_t limit, uint64_t generation, uint32_t number,
                    const DecodedPicture& picture, int32_t delay);
  void evictDownTo(size_t bytes);

  mutable std::mutex mutex_;
  size_t budget_;
  size_t held_ = 0;
  std::map<uint32_t, Entry> entries_;
  uint64_t generation_ = 1;
  uint32_t position_ = 0, keepFirst_ = 0, keepLast_ = 0;
};

}  // namespace kd
