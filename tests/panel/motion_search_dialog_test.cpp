// Dialog 219: opens on the document's settings and hands back new ones only on "確定".
#include "ui/motion_search_dialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace kd::testing {
namespace {

QPushButton* buttonLabelled(QDialog& dialog, const QString& text) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>())
    if (button->text() == text) return button;
  return nullptr;
}

TEST(MotionSearchDialog, ShowsTheSettingsAndTakesNewOnesOnOk) {
  CMotionSearchDlg dialog(nullptr, 5, 3, false);
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("動態搜尋設定"));
  QSlider* slider = dialog.findChild<QSlider*>("slider1168");
  QLineEdit* edit = dialog.findChild<QLineEdit*>("edit1139");
  QCheckBox* pause = dialog.findChild<QCheckBox*>("check1169");
  ASSERT_TRUE(slider && edit && pause);
  EXPECT_EQ(slider->minimum(), 0);
  EXPECT_EQ(slider->maximum(), 10);
  EXPECT_EQ(slider->tickInterval(), 1);
  EXPECT_NE(slider->tickPosition(), QSlider::NoTicks);
  EXPECT_EQ(slider->value(), 5);
  EXPECT_EQ(edit->text(), QStringLiteral("3"));
  EXPECT_EQ(pause->text(), QStringLiteral("偵測到動態時暫停播放"));
  EXPECT_FALSE(pause->isChecked());
  QStringList labels;
  for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
  EXPECT_TRUE(labels.contains(QStringLiteral("低")));
  EXPECT_TRUE(labels.contains(QStringLiteral("高")));
  EXPECT_TRUE(labels.contains(QStringLiteral("差異影像數目 :")));

  dialog.show();
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Right);
  QTest::keyClick(slider, Qt::Key_Right);
  edit->selectAll();
  QTest::keyClicks(edit, "7");
  QTest::mouseClick(pause, Qt::LeftButton);
  EXPECT_EQ(dialog.sensitivity(), 5);  // nothing taken before OK
  QTest::mouseClick(buttonLabelled(dialog, QStringLiteral("確定")), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.sensitivity(), 7);
  EXPECT_EQ(dialog.requiredCount(), 7);
  EXPECT_TRUE(dialog.pauseOnMotion());
}

TEST(MotionSearchDialog, CancelKeepsTheOpeningValues) {
  CMotionSearchDlg dialog(nullptr, 2, 4, true);
  dialog.show();
  dialog.sensitivitySlider()->setValue(9);
  dialog.requiredCountEdit()->setText(QStringLiteral("12"));
  QTest::mouseClick(dialog.pauseOnMotionBox(), Qt::LeftButton);
  QTest::mouseClick(buttonLabelled(dialog, QStringLiteral("取消")), Qt::LeftButton);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(dialog.sensitivity(), 2);
  EXPECT_EQ(dialog.requiredCount(), 4);
  EXPECT_TRUE(dialog.pauseOnMotion());
}

TEST(MotionSearchDialog, TakesOnlyWholeCountsFromZero) {
  CMotionSearchDlg dialog(nullptr, 5, 3, false);
  dialog.show();
  QLineEdit* edit = dialog.requiredCountEdit();
  edit->selectAll();
  QTest::keyClicks(edit, "-2x");
  EXPECT_EQ(edit->text(), QStringLiteral("2"));  // the minus and the letter are refused
  edit->clear();
  EXPECT_FALSE(dialog.okButton()->isEnabled());
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  QTest::keyClicks(edit, "0");
  EXPECT_TRUE(dialog.okButton()->isEnabled());
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.requiredCount(), 0);
}

}  // namespace
}  // namespace kd::testing
