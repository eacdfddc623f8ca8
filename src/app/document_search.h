#pragma once
// The file search's share of the document: the settings kept from one search to the next and,
// while a file opened by a search plays, the candidates that follow it. Any other open drops
// them.
#include <deque>
#include <string>
#include <vector>

#include "catalog/recording_search.h"
#include "catalog/search_settings.h"

namespace kd {

class DocumentSearch {
 public:
  DocumentSearch() : settings_(initialSearchSettings()) {}

  SearchSettings& settings() { return settings_; }
  const SearchSettings& settings() const { return settings_; }

  // A search found `candidates` (selection order): they are played from the first on.
  void start(std::vector<SearchCandidate> candidates);
  // True while the open file came from a search: its end plays the next candidate.
  bool active() const { return active_; }
  // The next candidate to open; false when none is left.
  bool takeNext(std::string& path);
  const std::deque<SearchCandidate>& pending() const { return pending_; }
  void drop();

 private:
  SearchSettings settings_;
  std::deque<SearchCandidate> pending_;
  bool active_ = false;
};

}  // namespace kd
