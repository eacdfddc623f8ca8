#pragma once
// A shown control panel over a recording document stand-in, with clicks by control id.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <vector>

#include "recording_commands.h"
#include "ui/player_panel.h"

namespace kd::testing {

class PanelTest : public ::testing::Test {
 protected:
  PanelTest() : panel(doc, &mainWindow) {
    panel.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&panel));
  }

  void click(int id) {
    QAbstractButton* button = panel.button(id);
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
  }

  // Lamps that look lit (a bright centre), by index.
  std::vector<int> litLamps() {
    std::vector<int> lit;
    for (int i = 0; i < CPlayerPanel::kLampCount; ++i) {
      const QImage lamp = panel.button(CPlayerPanel::kFirstLampId + i)->grab().toImage();
      if (qGray(lamp.pixel(lamp.width() / 2 - 1, lamp.height() / 2 - 1)) > 150) lit.push_back(i);
    }
    return lit;
  }

  RecordingCommands doc;
  QWidget mainWindow;
  CPlayerPanel panel;
};

}  // namespace kd::testing
