#pragma once
// The file search: the recordings under a folder that a camera was writing at or after a moment,
// and the order in which they are played (the one ending first, then the next, ...). The search
// dialog, the document, the quad window and kdtool all search here.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kd {

class RecordingInfo;

struct SearchCandidate {
  std::string path;
  int64_t endTime = 0;  // seconds since 1970
  int64_t startTime = 0;
};

struct SearchRequest {
  std::string folder;                // paths found are this, "/" and the entry names
  std::vector<uint32_t> sourceKeys;  // one candidate list for each
  int64_t moment = 0;                // seconds since 1970
  std::string hostName;              // UTF-8, compared exactly; empty: any host
  bool subfolders = false;
};

struct SearchProgress {
  bool listing = true;    // still walking the folders
  size_t filesRead = 0;   // headers read so far
  size_t filesTotal = 0;  // files found so far (all of them once listing is over)
};

struct SearchControl {
  // Set from any thread to stop the search at the next file or folder.
  const std::atomic<bool>* cancel = nullptr;
  // Called on the searching thread after every folder listed and every header read.
  std::function<void(const SearchProgress&)> progress;
};

struct SearchOutcome {
  bool folderRead = false;  // false: the folder itself cannot be listed (`error` says why)
  std::string error;
  bool cancelled = false;
  // For each requested source key, its candidates in selection order.
  std::vector<std::vector<SearchCandidate>> candidates;
};

// The files a search reads, in the order it reads them: a folder's entries in byte order of
// their names, a subfolder's files (with `subfolders`) where the subfolder comes. Symbolic links
// to folders are not followed (a link back up the tree would never end), nor are pipes and
// devices read. False when `folder` itself cannot be listed.
bool listSearchFiles(const std::string& folder, bool subfolders, std::vector<std::string>& files,
                     std::string& error, const SearchControl& control = {});

// A probed header matches when it ends strictly after `moment`, comes from `sourceKey` and, with
// a host name asked for, carries exactly that host name (its Big5 bytes decoded).
bool recordingMatches(const RecordingInfo& header, uint32_t sourceKey, int64_t moment,
                      const std::string& hostName);

// Puts candidates found in listing order into selection order: the earliest end first, ties
// kept in the order found.
void orderForSelection(std::vector<SearchCandidate>& candidates);

SearchOutcome searchRecordings(const SearchRequest& request, const SearchControl& control = {});

}  // namespace kd
