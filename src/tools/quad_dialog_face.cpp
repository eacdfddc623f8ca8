// The quad dialog's face: its pictured buttons with their speed lamps, the background, the
// pictures its panes and captions show, and where it opens.
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "playback/qt/display_resources.h"
#include "playback/qt/side_pictures.h"
#include "tools/quad_dialog.h"
#include "tools/quad_pictures.h"
#include "ui/panel_pictures.h"
#include "ui/skin_button.h"

namespace kd {

namespace {

// Each button's text (its tool tip), picture and place; y is from the top of the button strip.
struct ButtonEntry {
  int id;
  const char* text;
  quad_picture::Sheet sheet;
  int image;  // which of the sheet's pictures
  int x, y;
};

using quad_picture::Sheet;

constexpr ButtonEntry kButtons[] = {
    {1114, "向後尋找", Sheet::Transport, 3, 10, 12},
    {1115, "向後格放", Sheet::Transport, 4, 56, 12},
    {1111, "放影", Sheet::Transport, 0, 102, 12},
    {1113, "暫停", Sheet::Transport, 2, 148, 12},
    {1112, "停止", Sheet::Transport, 1, 194, 12},
    {1116, "向前格放", Sheet::Transport, 5, 240, 12},
    {1117, "向前尋找", Sheet::Transport, 6, 286, 12},
    {1118, "工具列", Sheet::Tools, 0, 10, 54},
    {1119, "開始剪輯", Sheet::Tools, 1, 50, 54},
    {1120, "結束剪輯", Sheet::Tools, 2, 90, 54},
    {1121, "儲存剪輯", Sheet::Tools, 3, 130, 54},
    {1122, "播放剪輯", Sheet::Tools, 4, 170, 54},
    {1123, "照相", Sheet::Tools, 5, 210, 54},
    {1124, "標題", Sheet::Tools, 6, 250, 54},
    {1125, "標題顏色", Sheet::Tools, 7, 290, 54},
    {1126, "1/8 x", Sheet::Speeds, 0, 350, 36},
    {1127, "1/6 x", Sheet::Speeds, 1, 392, 36},
    {1128, "1/4 x", Sheet::Speeds, 2, 434, 36},
    {1129, "1/2 x", Sheet::Speeds, 3, 476, 36},
    {1130, "1 x", Sheet::Speeds, 4, 518, 36},
    {1131, "2 x", Sheet::Speeds, 5, 560, 36},
    {1132, "4 x", Sheet::Speeds, 6, 602, 36},
    {1133, "快速", Sheet::Speeds, 7, 644, 36},
    {1134, "超快速", Sheet::Speeds, 8, 686, 36},
    {2, "結束", Sheet::Exit, 0, 740, 32},
};

// The speed indicators sit above their buttons.
constexpr int kLampSize = 8;
constexpr int kLampAbove = 11;

}  // namespace

void CQuadDialog::buildButtons() {
  const int top = QuadDialogModel::kClientHeight - QuadDialogModel::kButtonStrip;
  std::vector<QIcon> sheets[4];
  for (Sheet sheet : {Sheet::Transport, Sheet::Tools, Sheet::Speeds, Sheet::Exit})
    sheets[int(sheet)] = quad_picture::loadSheet(sheet);
  for (const ButtonEntry& b : kButtons) {
    auto* button = new CSkinButton(this);
    button->setObjectName(QStringLiteral("button%1").arg(b.id));
    // The text is not drawn (the picture says it) but answers the tool tip.
    button->setText(QString::fromUtf8(b.text));
    button->setToolTip(button->text());
    button->setBorderStyle(4);
    button->setFaceFilled(false);  // the background shows around the key
    const std::vector<QIcon>& sheet = sheets[int(b.sheet)];
    const size_t first = size_t(b.image) * 3;
    if (first + 2 < sheet.size())
      button->setIcons(sheet[first], sheet[first + 1], sheet[first + 2]);
    button->setGeometry(QRect(QPoint(b.x, top + b.y), quad_picture::imageSize(b.sheet)));
    if (b.id == 2) {
      button->setShowsCaption(true);
      QPalette light = button->palette();
      light.setColor(QPalette::ButtonText, QColor(0xEE, 0xF1, 0xF4));
      button->setPalette(light);
    }
    const int id = b.id;
    if (id >= kFirstSpeedId && id < kFirstSpeedId + 9) {
      auto* lamp = new QLabel(this);
      lamp->setObjectName(QStringLiteral("lamp%1").arg(id));
      lamp->setGeometry(b.x + (button->width() - kLampSize) / 2, top + b.y - kLampAbove, kLampSize,
                        kLampSize);
      speedLamps_[id - kFirstSpeedId] = lamp;
    }
    connect(button, &CSkinButton::clicked, this, [this, id] {
      switch (id) {
        case 1111:
          play();
          break;
        case 1112:
          stop();
          break;
        case 1113:
          pause();
          break;
        case 1114:
          seekBackward();
          break;
        case 1117:
          seekForward();
          break;
        case 1115:
          stepBackward();
          break;
        case 1116:
          stepForward();
          break;
        case 1118:
          toggleToolbar();
          break;
        case 1119:
          markClipStart();
          break;
        case 1120:
          markClipEnd();
          break;
        case 1121:
          saveClip();
          break;
        case 1122:
          playClip();
          break;
        case 1123:
          snapshot();
          break;
        case 1124:
          toggleCaptions();
          break;
        case 1125:
          chooseCaptionColours();
          break;
        case 2:
          close();
          break;
        default:
          if (id >= kFirstSpeedId && id < kFirstSpeedId + 9) setSpeed(id - kFirstSpeedId - 4);
          break;
      }
    });
  }
  lampIcons_ = loadIconSheet(panel_picture::kLamps, QSize(kLampSize, kLampSize));
  lightSpeedLamp(model_.speed());
}

// The panes' stand-by picture and the status icons the captions draw.
void CQuadDialog::installSidePictures() {
  using namespace side_picture;
  const std::pair<int, int> pictures[] = {{kResourceStandbyA, kStandbyA},
                                          {kResourceStandbyB, kStandbyB},
                                          {kResourceIconA, kIconA},
                                          {kResourceIconB, kIconB}};
  for (const auto& [resource, kind] : pictures) {
    const QImage picture = loadBitmapResource(resource);
    display::installSidePicture(&picture, kind);
  }
}

// At the top of the screen, centred across it.
void CQuadDialog::placeOnScreen() {
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  // A screen narrower than the dialog keeps its left edge (and its title bar) on the screen.
  move(std::max(area.left(), area.left() + (area.width() - frameGeometry().width()) / 2),
       area.top());
}

void CQuadDialog::showEvent(QShowEvent* event) {
  if (!placed_) {
    placed_ = true;
    placeOnScreen();
  }
  QDialog::showEvent(event);
}

void CQuadDialog::lightSpeedLamp(int speed) {
  for (int i = 0; i < 9; ++i) {
    const bool lit = i == speed + 4;
    speedLamps_[i]->setProperty("lit", lit);
    if (lampIcons_.size() >= 18) {
      speedLamps_[i]->setPixmap(lampIcons_[size_t(2 * i + (lit ? 1 : 0))].pixmap(
          QSize(kLampSize, kLampSize), devicePixelRatioF()));
    }
  }
}

// Grey under bitmap 215: its backdrop stretched over the pane area, its button strip and, with
// the toolbar row, that row one to one below the panes.
void CQuadDialog::paintEvent(QPaintEvent*) {
  using namespace quad_picture;
  QPainter painter(this);
  painter.fillRect(rect(), QColor(0xA8, 0xA8, 0xA8));
  const qreal ratio = devicePixelRatioF();
  if (background_.isNull() || background_.devicePixelRatio() != (ratio > 1.0 ? 2.0 : 1.0))
    background_ = loadBackground(ratio);
  if (background_.isNull()) return;
  const qreal scale = background_.devicePixelRatio();
  auto part = [scale](int row, int width, int height) {
    return QRectF(0, row * scale, width * scale, height * scale);
  };
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const QuadRect panes = model_.paneArea();
  painter.drawPixmap(QRectF(panes.x, panes.y, panes.width, panes.height), background_,
                     part(0, kBackdropWidth, kBackdropHeight));
  const int strip = QuadDialogModel::kClientHeight - QuadDialogModel::kButtonStrip;
  const int width = QuadDialogModel::kClientWidth;
  painter.drawPixmap(QRectF(0, strip, width, QuadDialogModel::kButtonStrip), background_,
                     part(kStripRow, width, QuadDialogModel::kButtonStrip));
  if (model_.toolbarShown()) {
    painter.drawPixmap(
        QRectF(0, QuadDialogModel::kClientHeight, width, QuadDialogModel::kToolbarRow), background_,
        part(kToolbarRow, width, QuadDialogModel::kToolbarRow));
  }
}

}  // namespace kd
