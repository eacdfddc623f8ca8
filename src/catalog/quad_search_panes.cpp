#include "catalog/quad_search_panes.h"

namespace kd {

int QuadSearchPanes::start(std::vector<std::vector<SearchCandidate>> lists, int64_t moment,
                           const Opener& open) {
  dropAll();
  moment_ = moment;
  int opened = 0;
  for (int pane = 0; pane < kPanes && size_t(pane) < lists.size(); ++pane) {
    auto& list = lists[size_t(pane)];
    pending_[size_t(pane)].assign(std::make_move_iterator(list.begin()),
                                  std::make_move_iterator(list.end()));
    active_[size_t(pane)] = true;
    if (openFirstThatOpens(pane, moment, open)) ++opened;
  }
  return opened;
}

bool QuadSearchPanes::next(int pane, const Opener& open) {
  if (!active(pane)) return false;
  // The recordings after the first follow on from their own start.
  return openFirstThatOpens(pane, 0, open);
}

bool QuadSearchPanes::openFirstThatOpens(int pane, int64_t moment, const Opener& open) {
  auto& pending = pending_[size_t(pane)];
  while (!pending.empty()) {
    const std::string path = std::move(pending.front().path);
    pending.pop_front();
    if (open(pane, path, moment)) return true;
  }
  active_[size_t(pane)] = false;
  return false;
}

void QuadSearchPanes::drop(int pane) {
  if (!valid(pane)) return;
  pending_[size_t(pane)].clear();
  active_[size_t(pane)] = false;
}

void QuadSearchPanes::dropAll() {
  for (int pane = 0; pane < kPanes; ++pane) drop(pane);
}

}  // namespace kd
