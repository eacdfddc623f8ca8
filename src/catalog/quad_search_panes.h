#pragma once
// A quad search's share of the quad window: each pane plays its camera's candidates in turn.
// The first recording that opens in a pane starts at the moment searched for; when a pane's
// recording ends, its camera's next candidate follows from its start. A candidate that no
// longer opens is passed over. The pane opener is the caller's (the quad dialog's channels).
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "catalog/recording_search.h"

namespace kd {

class QuadSearchPanes {
 public:
  static constexpr int kPanes = 4;
  // Opens `path` in `pane`, at `moment` when it is not 0 (else from the start); true on success.
  using Opener = std::function<bool(int pane, const std::string& path, int64_t moment)>;

  // A new search: pane i takes `lists[i]` (selection order), panes past the lists none.
  // Returns how many panes opened a recording.
  int start(std::vector<std::vector<SearchCandidate>> lists, int64_t moment, const Opener& open);
  // `pane`'s recording ended: opens its next candidate that opens. False when none is left;
  // the pane's search is over then.
  bool next(int pane, const Opener& open);
  // True while the pane plays a search's recording (its end goes on with `next`).
  bool active(int pane) const { return valid(pane) && active_[size_t(pane)]; }
  const std::deque<SearchCandidate>& pending(int pane) const { return pending_[size_t(pane)]; }
  int64_t moment() const { return moment_; }
  // The pane was given something else to play: its candidates are forgotten.
  void drop(int pane);
  void dropAll();

 private:
  static bool valid(int pane) { return pane >= 0 && pane < kPanes; }
  bool openFirstThatOpens(int pane, int64_t moment, const Opener& open);

  std::array<std::deque<SearchCandidate>, kPanes> pending_;
  std::array<bool, kPanes> active_{};
  int64_t moment_ = 0;
};

}  // namespace kd
