#include "app/document_search.h"

namespace kd {

void DocumentSearch::start(std::vector<SearchCandidate> candidates) {
  pending_.assign(std::make_move_iterator(candidates.begin()),
                  std::make_move_iterator(candidates.end()));
  active_ = true;
}

bool DocumentSearch::takeNext(std::string& path) {
  if (pending_.empty()) return false;
  path = std::move(pending_.front().path);
  pending_.pop_front();
  return true;
}

void DocumentSearch::drop() {
  pending_.clear();
  active_ = false;
}

}  // namespace kd
