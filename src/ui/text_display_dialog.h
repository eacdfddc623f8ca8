#pragma once
// Dialog 220, "文字顯示設定": the seven caption items as check boxes over the text display mask.
#include <QDialog>
#include <array>
#include <cstdint>

class QCheckBox;

namespace kd {

class TextDisplayDialog : public QDialog {
  Q_OBJECT

 public:
  // Check box ids of mask bits 0 … 6.
  static constexpr std::array<int, 7> kCheckBoxIds = {1171, 1170, 1172, 1173, 1174, 1175, 1176};

  explicit TextDisplayDialog(uint32_t mask, QWidget* parent = nullptr);
  // The mask as the boxes stand; the caller takes it only when the dialog was accepted.
  uint32_t mask() const;
  QCheckBox* checkBox(int bit) const { return boxes_[size_t(bit)]; }

 private:
  std::array<QCheckBox*, 7> boxes_{};
};

}  // namespace kd
