// The text display settings dialog (220) and the image configuration dialog (184).
#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QCheckBox>
#include <QScrollBar>
#include <vector>

#include "ui/image_config_dialog.h"
#include "ui/text_display_dialog.h"

namespace kd {
namespace {

TEST(TextDisplayDialog, CheckBoxesFollowTheMask) {
  TextDisplayDialog dialog(57);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("文字顯示設定"));
  EXPECT_TRUE(dialog.checkBox(0)->isChecked());
  EXPECT_FALSE(dialog.checkBox(1)->isChecked());
  EXPECT_FALSE(dialog.checkBox(2)->isChecked());
  EXPECT_EQ(dialog.checkBox(6)->text(), QStringLiteral("錄影當地時間"));
  ASSERT_NE(dialog.findChild<QCheckBox*>("check1172"), nullptr);
  dialog.findChild<QCheckBox*>("check1172")->setChecked(true);   // date
  dialog.findChild<QCheckBox*>("check1175")->setChecked(false);  // end time
  EXPECT_EQ(dialog.mask(), 57u + 4 - 32);
}

TEST(ImageConfigDialog, LiveValuesDefaultsAndCancel) {
  std::vector<ColourSet> calls;
  CColorConfigDlg dialog(ColourSet{120, 100, 90, 100},
                         [&](const ColourSet& set) { calls.push_back(set); });
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("影像組態"));
  EXPECT_EQ(dialog.size(), QSize(270, 240));
  QScrollBar* brightness = dialog.findChild<QScrollBar*>("scroll1025");
  ASSERT_NE(brightness, nullptr);
  EXPECT_EQ(brightness->minimum(), 1);
  EXPECT_EQ(brightness->maximum(), 200);
  EXPECT_EQ(brightness->value(), 120);
  EXPECT_TRUE(calls.empty());

  brightness->triggerAction(QAbstractSlider::SliderPageStepAdd);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls.back(), (ColourSet{130, 100, 90, 100}));
  dialog.scrollBar(3)->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(calls.back(), (ColourSet{130, 100, 90, 99}));

  dialog.restoreDefaults();
  ASSERT_EQ(calls.size(), 3u);  // one call for all four
  EXPECT_EQ(calls.back(), ColourSet{});
  EXPECT_EQ(dialog.colours(), ColourSet{});

  dialog.scrollBar(1)->setValue(150);
  dialog.reject();
  EXPECT_EQ(calls.back(), (ColourSet{120, 100, 90, 100}));  // the values found at opening
}

}  // namespace
}  // namespace kd
