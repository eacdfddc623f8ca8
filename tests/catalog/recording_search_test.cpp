// The file search over generator folders: which recordings match a camera and a moment, the
// order they are played in, how the folder tree is walked, and the settings' rules.
#include "catalog/recording_search.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "catalog/catalog_fixtures.h"
#include "catalog/search_settings.h"
#include "common/temp_dir.h"
#include "recording/recording_info.h"

namespace kd {
namespace {

using testing::makeRecording;
using testing::TempDir;

constexpr int64_t kTen = 1767232800;  // 2026-01-01 10:00:00 in Taipei
constexpr uint32_t kBox6 = (1u << 16) | 1u;

// A recording of camera box 6 whose header ends at `end` (one block of two frames 40 ms apart
// ends in the second it starts).
void recording(const std::string& path, int64_t end,
               const std::function<void(GeneratorOptions&)>& tweak = {}) {
  makeRecording(path, [&](GeneratorOptions& o) {
    o.startTime = end;
    o.card = 1;
    o.camera = 1;
    if (tweak) tweak(o);
  });
}

std::vector<std::string> namesOf(const std::vector<SearchCandidate>& found, const TempDir& dir) {
  std::vector<std::string> names;
  for (const SearchCandidate& c : found)
    names.push_back(c.path.substr(dir.path().string().size() + 1));
  return names;
}

SearchOutcome search(const TempDir& dir, int64_t moment, const std::string& host = {},
                     bool subfolders = false, uint32_t key = kBox6) {
  SearchRequest request;
  request.folder = dir.path().string();
  request.sourceKeys = {key};
  request.moment = moment;
  request.hostName = host;
  request.subfolders = subfolders;
  return searchRecordings(request);
}

TEST(SearchSettings, CameraBoxesStandForCardAndCamera) {
  // "鏡頭 1": card 0, camera 0; "鏡頭 6": card 1, camera 1; "鏡頭 16": card 3, camera 3.
  EXPECT_EQ(sourceKeyOfCameraBox(0), 0u);
  EXPECT_EQ(sourceKeyOfCameraBox(5), kBox6);
  EXPECT_EQ(sourceKeyOfCameraBox(15), (3u << 16) | 3u);
  RecordingInfo header;
  header.card = 1;
  header.camera = 1;
  EXPECT_EQ(header.sourceKey(), sourceKeyOfCameraBox(5));

  // Single mode takes the first box, quad mode up to four in ascending number.
  EXPECT_EQ(searchSourceKeys({5, 0}, false), (std::vector<uint32_t>{0u}));
  EXPECT_EQ(searchSourceKeys({15, 5, 0, 1, 2}, true),
            (std::vector<uint32_t>{0u, 1u << 16, 2u << 16, kBox6}));
  EXPECT_TRUE(searchSourceKeys({}, true).empty());

  SearchSettings settings;
  settings.quad = true;
  settings.setCheckedBoxes({1, 3, 5, 7, 9});
  EXPECT_EQ(settings.checkedBoxes(), (std::vector<int>{1, 3, 5, 7}));
  settings.quad = false;
  EXPECT_EQ(settings.checkedBoxes(), (std::vector<int>{1}));
}

TEST(SearchSettings, MomentsInLocalTime) {
  testing::useTaipeiTime();
  int64_t t = 0;
  ASSERT_TRUE(parseLocalMoment("2026-01-01 10:00:00", t));
  EXPECT_EQ(t, kTen);
  ASSERT_TRUE(localMoment(2024, 2, 29, 23, 59, 59, t));
  EXPECT_EQ(t, 1709222399);
  for (const char* bad : {"2026-02-30 10:00:00", "2026-13-01 10:00:00", "2026-01-01 24:00:00",
                          "2026-01-01 10:60:00", "2026-1-01 10:00:00", "2026-01-01T10:00:00",
                          "2026-01-01 10:00:00 ", "", "abcd-ef-gh ij:kl:mn"})
    EXPECT_FALSE(parseLocalMoment(bad, t)) << bad;
}

TEST(RecordingSearch, EndTimeMustBeLaterThanTheMomentSourceKeyAndHostExactly) {
  TempDir dir;
  recording(dir.file("at.kdz"), kTen);         // ends at the moment: no
  recording(dir.file("later.kdz"), kTen + 1);  // a second later: yes
  recording(dir.file("other.kdz"), kTen + 60, [](GeneratorOptions& o) { o.camera = 2; });
  recording(dir.file("host.kdz"), kTen + 120, [](GeneratorOptions& o) { o.hostName = "主機甲"; });
  std::filesystem::copy_file(dir.file("later.kdz"), dir.file("zz-cut.kdz"));
  testing::setFileSize(dir.file("zz-cut.kdz"), 10);  // a header that cannot be read: skipped

  SearchOutcome any = search(dir, kTen);
  ASSERT_TRUE(any.folderRead);
  EXPECT_EQ(namesOf(any.candidates[0], dir), (std::vector<std::string>{"later.kdz", "host.kdz"}));
  EXPECT_EQ(any.candidates[0][0].endTime, kTen + 1);

  // Host names compare exactly, the recorder's Big5 decoded.
  EXPECT_EQ(namesOf(search(dir, kTen, "DVR-HOST").candidates[0], dir),
            (std::vector<std::string>{"later.kdz"}));
  EXPECT_TRUE(search(dir, kTen, "dvr-host").candidates[0].empty());
  EXPECT_TRUE(search(dir, kTen, "DVR-HOST ").candidates[0].empty());
  EXPECT_EQ(namesOf(search(dir, kTen, "主機甲").candidates[0], dir),
            (std::vector<std::string>{"host.kdz"}));

  // Another camera box finds its own.
  EXPECT_EQ(namesOf(search(dir, kTen, {}, false, sourceKeyOfCameraBox(6)).candidates[0], dir),
            (std::vector<std::string>{"other.kdz"}));
}

TEST(RecordingSearch, SelectionTakesTheEarliestEndAndKeepsTheOrderFoundOnTies) {
  TempDir dir;
  recording(dir.file("a.kdz"), kTen + 7200);
  recording(dir.file("b.kdz"), kTen);
  recording(dir.file("c.kdz"), kTen + 3600);
  recording(dir.file("d.kdz"), kTen + 7200);
  recording(dir.file("e.kdz"), kTen + 3600);
  const SearchOutcome found = search(dir, kTen - 1800);
  EXPECT_EQ(namesOf(found.candidates[0], dir),
            (std::vector<std::string>{"b.kdz", "c.kdz", "e.kdz", "a.kdz", "d.kdz"}));
}

TEST(RecordingSearch, WalksNamesInByteOrderAndSubfoldersDepthFirstWhereMet) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "m" / "deep");
  std::filesystem::create_directories(dir.path() / "B");
  // Byte order: upper case before lower case, Big5 bytes (above 0x7F) after ASCII.
  for (const char* name :
       {"z.kdz", "a.kdz", "Z.kdz", "\xAA\xF9.kdz", "m/x.kdz", "m/deep/y.kdz", "m/w.kdz", "B/q.kdz"})
    recording(dir.file(name), kTen + 60);

  std::vector<std::string> files;
  std::string error;
  ASSERT_TRUE(listSearchFiles(dir.path().string(), true, files, error));
  std::vector<std::string> names;
  for (const std::string& f : files) names.push_back(f.substr(dir.path().string().size() + 1));
  EXPECT_EQ(names, (std::vector<std::string>{"B/q.kdz", "Z.kdz", "a.kdz", "m/deep/y.kdz", "m/w.kdz",
                                             "m/x.kdz", "z.kdz", "\xAA\xF9.kdz"}));

  // Equal end times everywhere: selection keeps the walk's order; without subfolders only the
  // folder's own files.
  EXPECT_EQ(namesOf(search(dir, kTen, {}, true).candidates[0], dir), names);
  EXPECT_EQ(namesOf(search(dir, kTen, {}, false).candidates[0], dir),
            (std::vector<std::string>{"Z.kdz", "a.kdz", "z.kdz", "\xAA\xF9.kdz"}));

  // The folder is joined to the names as given, with one slash.
  std::vector<std::string> fromSlash;
  ASSERT_TRUE(listSearchFiles(dir.path().string() + "/", false, fromSlash, error));
  EXPECT_EQ(fromSlash.front(), dir.file("Z.kdz"));
}

TEST(RecordingSearch, LinksToFoldersAreNotFollowedPipesNotReadUnreadableFoldersSkipped) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "sub");
  recording(dir.file("sub/a.kdz"), kTen + 60);
  // A link back up the tree would never end; a link to a file is read like the file.
  std::filesystem::create_directory_symlink(dir.path(), dir.path() / "sub" / "loop");
  std::filesystem::create_directory_symlink(dir.path() / "sub", dir.path() / "alias");
  std::filesystem::create_symlink(dir.path() / "sub" / "a.kdz", dir.path() / "link.kdz");
  // A pipe would block the header read for ever.
  ASSERT_EQ(::mkfifo(dir.file("pipe.kdz").c_str(), 0600), 0);

  const SearchOutcome found = search(dir, kTen, {}, true);
  EXPECT_EQ(namesOf(found.candidates[0], dir), (std::vector<std::string>{"link.kdz", "sub/a.kdz"}));

  // A subfolder that cannot be listed is passed over; the folder searched must be listable.
  if (::geteuid() != 0) {
    std::filesystem::create_directories(dir.path() / "locked");
    recording(dir.file("locked/b.kdz"), kTen + 60);
    std::filesystem::permissions(dir.path() / "locked", std::filesystem::perms::none);
    EXPECT_EQ(search(dir, kTen, {}, true).candidates[0].size(), 2u);
    std::filesystem::permissions(dir.path() / "locked", std::filesystem::perms::owner_all);
  }
  SearchRequest request;
  request.folder = dir.file("missing");
  request.sourceKeys = {kBox6};
  const SearchOutcome none = searchRecordings(request);
  EXPECT_FALSE(none.folderRead);
  EXPECT_FALSE(none.error.empty());
}

TEST(RecordingSearch, ProgressReachesEveryFileAndCancelStopsWithNothingFound) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "s");
  for (int i = 0; i < 6; ++i) recording(dir.file("s/r" + std::to_string(i) + ".kdz"), kTen + 60);
  SearchRequest request;
  request.folder = dir.path().string();
  request.sourceKeys = {kBox6, 0u};
  request.subfolders = true;
  request.moment = kTen;

  SearchProgress last;
  bool listed = false;
  SearchControl control;
  control.progress = [&](const SearchProgress& p) {
    listed = listed || p.listing;
    last = p;
  };
  const SearchOutcome all = searchRecordings(request, control);
  EXPECT_TRUE(listed);
  EXPECT_FALSE(last.listing);
  EXPECT_EQ(last.filesRead, 6u);
  EXPECT_EQ(last.filesTotal, 6u);
  ASSERT_EQ(all.candidates.size(), 2u);  // one list per source key asked for
  EXPECT_EQ(all.candidates[0].size(), 6u);
  EXPECT_TRUE(all.candidates[1].empty());

  std::atomic<bool> cancel{false};
  control.cancel = &cancel;
  control.progress = [&](const SearchProgress& p) {
    if (p.filesRead == 3) cancel = true;
  };
  const SearchOutcome stopped = searchRecordings(request, control);
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_TRUE(stopped.candidates[0].empty());
}

}  // namespace
}  // namespace kd
