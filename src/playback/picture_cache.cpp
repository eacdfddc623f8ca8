#include "playback/picture_cache.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "recording/decoded_picture.h"

namespace kd {

PictureCache::PictureCache(size_t budgetBytes) : budget_(budgetBytes) {}

void PictureCache::setBudget(size_t bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  budget_ = bytes;
  evictDownTo(bytes);
}

size_t PictureCache::budget() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return budget_;
}

size_t PictureCache::bytesHeld() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return held_;
}

size_t PictureCache::count() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

uint64_t PictureCache::reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
  held_ = 0;
  position_ = keepFirst_ = keepLast_ = 0;
  return ++generation_;
}

uint64_t PictureCache::generation() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return generation_;
}

void PictureCache::setPosition(uint32_t shown, uint32_t keepFirst, uint32_t keepLast) {
  std::lock_guard<std::mutex> lock(mutex_);
  position_ = shown;
  keepFirst_ = keepFirst;
  keepLast_ = keepLast;
}

uint32_t PictureCache::position() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return position_;
}

uint32_t PictureCache::distance(uint32_t number) const {
  if (number >= keepFirst_ && number <= keepLast_) return 0;
  return number > position_ ? number - position_ : position_ - number;
}

// Distance grows away from the kept range on both sides, so the farthest is an end of the map.
// On a tie the later picture goes: playing forward rebuilds it cheaply, going back does not.
std::map<uint32_t, PictureCache::Entry>::iterator PictureCache::farthest() {
  auto first = entries_.begin();
  auto last = std::prev(entries_.end());
  return distance(first->first) > distance(last->first) ? first : last;
}

bool PictureCache::roomFor(uint32_t number, size_t bytes, size_t limit) const {
  if (bytes > limit) return false;
  size_t held = held_;
  if (held + bytes <= limit) return true;
  // Evicting from the ends, nearest last: enough must go that are farther than `number`.
  const uint32_t own = distance(number);
  auto lo = entries_.begin();
  auto hi = entries_.end();
  while (lo != hi && held + bytes > limit) {
    auto top = std::prev(hi);
    const bool takeLow = distance(lo->first) > distance(top->first);
    auto victim = takeLow ? lo : top;
    if (distance(victim->first) <= own) return false;
    held -= victim->second.pixels.capacity();
    if (takeLow)
      ++lo;
    else
      hi = top;
  }
  return held + bytes <= limit;
}

void PictureCache::evictDownTo(size_t bytes) {
  while (!entries_.empty() && held_ > bytes) {
    auto victim = farthest();
    held_ -= victim->second.pixels.capacity();
    entries_.erase(victim);
  }
}

bool PictureCache::insert(uint64_t generation, uint32_t number, const DecodedPicture& picture,
                          int32_t delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  return insertWithin(budget_, generation, number, picture, delay);
}

bool PictureCache::insertWhilePlaying(uint64_t generation, uint32_t number,
                                      const DecodedPicture& picture, int32_t delay) {
  std::lock_guard<std::mutex> lock(mutex_);
  const size_t kept = size_t(keepLast_ >= keepFirst_ ? keepLast_ - keepFirst_ + 2 : 1);
  return insertWithin(std::min(budget_, kept * picture.byteSize()), generation, number, picture,
                      delay);
}

bool PictureCache::insertWithin(size_t limit, uint64_t generation, uint32_t number,
                                const DecodedPicture& picture, int32_t delay) {
  const size_t bytes = picture.byteSize();
  if (generation != generation_) return false;
  if (entries_.count(number)) return true;
  if (!roomFor(number, bytes, limit)) return false;
  // An evicted buffer is reused: playing on with a full cache allocates nothing.
  std::vector<uint8_t> buffer;
  while (held_ + bytes > limit) {
    auto victim = farthest();
    held_ -= victim->second.pixels.capacity();
    if (buffer.capacity() < bytes) buffer = std::move(victim->second.pixels);
    entries_.erase(victim);
  }
  if (held_ + buffer.capacity() > limit) buffer = {};
  buffer.resize(bytes);
  std::memcpy(buffer.data(), picture.pixels(), bytes);
  held_ += buffer.capacity();
  entries_[number] = Entry{std::move(buffer), delay};
  return true;
}

bool PictureCache::lookup(uint32_t number, DecodedPicture& out, int32_t& delay) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(number);
  if (it == entries_.end() || it->second.pixels.size() != out.byteSize()) return false;
  std::memcpy(out.pixels(), it->second.pixels.data(), out.byteSize());
  delay = it->second.delay;
  return true;
}

bool PictureCache::contains(uint32_t number) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.count(number) != 0;
}

bool PictureCache::containsAll(uint32_t first, uint32_t last) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (last < first) return true;
  auto it = entries_.find(first);
  for (uint32_t n = first;; ++n, ++it) {
    if (it == entries_.end() || it->first != n) return false;
    if (n == last) return true;
  }
}

bool PictureCache::wouldKeep(uint32_t number, size_t bytes) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.count(number) != 0 || roomFor(number, bytes, budget_);
}

}  // namespace kd
