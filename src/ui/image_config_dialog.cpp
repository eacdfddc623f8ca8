#include "ui/image_config_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace kd {

namespace {
const char* const kLabels[4] = {"亮度", "對比", "飽和度", "色調"};
}  // namespace

CColorConfigDlg::CColorConfigDlg(const ColourSet& colours, SetColours setColours, QWidget* parent)
    : QDialog(parent), opening_(colours), setColours_(std::move(setColours)) {
  setWindowTitle(QStringLiteral("影像組態"));
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox(QStringLiteral("色彩控制"), this);
  auto* grid = new QGridLayout(group);
  const int values[4] = {colours.brightness, colours.contrast, colours.saturation, colours.hue};
  for (int i = 0; i < 4; ++i) {
    grid->addWidget(new QLabel(QString::fromUtf8(kLabels[i]), group), i, 0);
    auto* bar = new QScrollBar(Qt::Horizontal, group);
    bar->setObjectName(QStringLiteral("scroll%1").arg(kScrollBarIds[size_t(i)]));
    // Line steps ±1, page steps ±10, the thumb tracks.
    bar->setRange(ColourSet::kMin, ColourSet::kMax);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setTracking(true);
    bar->setValue(values[i]);
    connect(bar, &QScrollBar::valueChanged, this, [this] { barMoved(); });
    bars_[size_t(i)] = bar;
    grid->addWidget(bar, i, 1);
  }
  layout->addWidget(group);

  auto* defaults = new QPushButton(QStringLiteral("預設值"), this);
  defaults->setObjectName(QStringLiteral("button%1").arg(kDefaultsId));
  connect(defaults, &QPushButton::clicked, this, [this] { restoreDefaults(); });
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(defaults, QDialogButtonBox::ResetRole);
  buttons->addButton(QStringLiteral("確定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CColorConfigDlg::reject);
  layout->addWidget(buttons);

  // Beside the centre of the screen, clear of the picture's middle.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize desktop = screen ? screen->size() : QSize(1024, 768);
  setGeometry(desktop.width() / 2 + 163, desktop.height() / 2 + 109, 270, 240);
}

ColourSet CColorConfigDlg::colours() const {
  return {bars_[0]->value(), bars_[1]->value(), bars_[2]->value(), bars_[3]->value()};
}

void CColorConfigDlg::barMoved() {
  if (setColours_) setColours_(colours());
}

void CColorConfigDlg::restoreDefaults() {
  for (QScrollBar* bar : bars_) {
    const QSignalBlocker quiet(bar);
    bar->setValue(ColourSet::kNeutral);
  }
  if (setColours_) setColours_(ColourSet{});
}

void CColorConfigDlg::reject() {
  if (setColours_) setColours_(opening_);
  QDialog::reject();
}

}  // namespace kd
