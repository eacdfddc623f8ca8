#pragma once
// Dialog 184, "影像組態": brightness, contrast, saturation and hue on four scroll bars, applied
// live through the view's set-colours callback; "預設值" resets all four to 100 and "取消" puts
// back the values found when the dialog opened.
#include <QDialog>
#include <array>
#include <functional>

#include "playback/colour_set.h"

class QScrollBar;

namespace kd {

class CColorConfigDlg : public QDialog {
  Q_OBJECT

 public:
  using SetColours = std::function<void(const ColourSet&)>;
  // Scroll bar ids in the order brightness, contrast, saturation, hue.
  static constexpr std::array<int, 4> kScrollBarIds = {1025, 1026, 1027, 1028};
  static constexpr int kDefaultsId = 1029;

  // `colours`: the set in force (the snapshot set while a snapshot picture is shown).
  CColorConfigDlg(const ColourSet& colours, SetColours setColours, QWidget* parent = nullptr);

  ColourSet colours() const;
  QScrollBar* scrollBar(int index) const { return bars_[size_t(index)]; }
  void restoreDefaults();

 public slots:
  void reject() override;

 private:
  void barMoved();

  std::array<QScrollBar*, 4> bars_{};
  ColourSet opening_;
  SetColours setColours_;
};

}  // namespace kd
