// A quad search's panes: each plays its camera's candidates in turn, the first at the moment
// searched for, the later ones from their start, passing over files that no longer open.
#include "catalog/quad_search_panes.h"

#include <gtest/gtest.h>

#include <set>

namespace kd {
namespace {

struct Opened {
  int pane;
  std::string path;
  int64_t moment;
  bool operator==(const Opened&) const = default;
};

// Records every open; the paths in `broken` fail.
struct FakePanes {
  std::vector<Opened> opened;
  std::set<std::string> broken;
  QuadSearchPanes::Opener opener() {
    return [this](int pane, const std::string& path, int64_t moment) {
      opened.push_back({pane, path, moment});
      return broken.count(path) == 0;
    };
  }
};

std::vector<SearchCandidate> candidates(std::initializer_list<const char*> paths) {
  std::vector<SearchCandidate> list;
  for (const char* p : paths) list.push_back({p, 0, 0});
  return list;
}

TEST(QuadSearchPanes, EachPaneGoesOnWithItsOwnCameraUntilItsListIsSpent) {
  FakePanes fake;
  QuadSearchPanes panes;
  const int opened =
      panes.start({candidates({"a11", "a12"}), candidates({"b11"}), {}, candidates({"d11"})}, 1000,
                  fake.opener());
  EXPECT_EQ(opened, 3);
  EXPECT_EQ(fake.opened,
            (std::vector<Opened>{{0, "a11", 1000}, {1, "b11", 1000}, {3, "d11", 1000}}));
  EXPECT_TRUE(panes.active(0));
  EXPECT_FALSE(panes.active(2));  // nothing found for its camera

  fake.opened.clear();
  // Pane 0's recording ended: its next one plays from its start; pane 1's camera has no more.
  EXPECT_TRUE(panes.next(0, fake.opener()));
  EXPECT_FALSE(panes.next(1, fake.opener()));
  EXPECT_FALSE(panes.active(1));
  EXPECT_FALSE(panes.next(0, fake.opener()));
  EXPECT_FALSE(panes.next(2, fake.opener()));
  EXPECT_EQ(fake.opened, (std::vector<Opened>{{0, "a12", 0}}));
  EXPECT_TRUE(panes.active(3));
}

TEST(QuadSearchPanes, FilesThatNoLongerOpenArePassedOverAndANewSearchForgetsTheOldOne) {
  FakePanes fake;
  fake.broken = {"a10", "a12", "b11"};
  QuadSearchPanes panes;
  EXPECT_EQ(panes.start({candidates({"a10", "a11", "a12", "a13"}), candidates({"b11"})}, 500,
                        fake.opener()),
            1);
  // The first that opens starts at the moment, whichever place it had in the list.
  EXPECT_EQ(fake.opened[1], (Opened{0, "a11", 500}));
  EXPECT_FALSE(panes.active(1));
  EXPECT_TRUE(panes.next(0, fake.opener()));
  EXPECT_EQ(fake.opened.back(), (Opened{0, "a13", 0}));

  panes.start({candidates({"a11"}), candidates({"x1", "x2"})}, 700, fake.opener());
  EXPECT_TRUE(panes.pending(0).empty());
  EXPECT_EQ(panes.pending(1).size(), 1u);
  EXPECT_EQ(panes.moment(), 700);
  // A pane given something else to play drops its search.
  panes.drop(1);
  fake.opened.clear();
  EXPECT_FALSE(panes.next(1, fake.opener()));
  EXPECT_TRUE(fake.opened.empty());
  EXPECT_FALSE(panes.next(7, fake.opener()));
}

}  // namespace
}  // namespace kd
