// Runs the Qt-side tests inside one QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QStandardPaths::setTestModeEnabled(true);  // settings go to a test location, not the user's
  QApplication app(argc, argv);
  app.setOrganizationName("kdplayer-tests");
  app.setApplicationName("kdplayer-tests");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
