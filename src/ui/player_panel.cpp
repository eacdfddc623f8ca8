#include "ui/player_panel.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <map>
#include <tuple>

#include "ui/panel_pictures.h"
#include "ui/position_slider.h"
#include "ui/skin_button.h"

namespace kd {

namespace {

constexpr int kPower = 2, kSlider = 1000, kExpand = 1002, kOpen = 1003, kStop = 1004, kPause = 1005,
              kPlay = 1006, kPreviousBlock = 1007, kStepBack = 1008, kStepForward = 1009,
              kNextBlock = 1010, kClipStart = 1011, kClipEnd = 1012, kClipSave = 1013,
              kClipLoad = 1014, kSnapshot = 1015, kCaption = 1016, kCaptionColour = 1017,
              kFullScreen = 1018, kZoomIn = 1019, kZoomOut = 1020, kAuthenticate = 1177;

constexpr int kBottomRowTop = 161;

struct ControlSpec {
  int id;
  const char* caption;
  const char* tooltip;  // null: none
  QRect rect;
  int sheet;       // icon sheet resource
  QSize iconSize;  // one image of the sheet
  int firstImage;  // normal; hover and pressed follow
  int borderStyle;
};

namespace pic = panel_picture;

// In the order their icons load.
// clang-format off
const ControlSpec kControls[] = {
    {kPower, "Cancel", "結束程式", {9, 60, 22, 22}, pic::kPower, {22, 22}, 0, 1},
    {kExpand, "Expand", "按鍵面板", {142, 144, 47, 14}, pic::kExpand, {47, 14}, 0, 1},
    {kOpen, "Open", "開啟KD檔案", {283, 65, 28, 28}, pic::kOpen, {28, 28}, 0, 1},
    {kStop, "Close", "停止", {126, 96, 45, 46}, pic::kStopPause, {45, 46}, 0, 1},
    {kPause, "Pause", "暫停", {171, 96, 45, 46}, pic::kStopPause, {45, 46}, 3, 1},
    {kPlay, "Playback", "放影", {49, 85, 55, 55}, pic::kPlay, {55, 55}, 0, 1},
    {kPreviousBlock, "Playprev", "向後尋找", {151, 64, 33, 31}, pic::kSeek, {33, 31}, 0, 1},
    {kStepBack, "StepPrev", "單格向後", {184, 64, 33, 31}, pic::kSeek, {33, 31}, 3, 1},
    {kStepForward, "StepNext", "單格向前", {217, 64, 33, 31}, pic::kSeek, {33, 31}, 6, 1},
    {kNextBlock, "Playnext", "向前尋找", {250, 64, 33, 31}, pic::kSeek, {33, 31}, 9, 1},
    {kClipStart, "Clipstart", "開始剪輯", {54, 161, 32, 16}, pic::kTools, {32, 16}, 0, 1},
    {kClipEnd, "Clipend", "結束剪輯", {86, 161, 32, 16}, pic::kTools, {32, 16}, 3, 1},
    {kClipSave, "Clipsave", "儲存剪輯", {118, 161, 32, 16}, pic::kTools, {32, 16}, 6, 1},
    {kClipLoad, "Clipplay", "載入剪輯", {150, 161, 32, 16}, pic::kTools, {32, 16}, 9, 1},
    {kSnapshot, "Snapshot", "拍照", {182, 161, 32, 16}, pic::kTools, {32, 16}, 12, 1},
    {kCaption, "Caption", "標題文字", {214, 161, 32, 16}, pic::kTools, {32, 16}, 15, 1},
    {kCaptionColour, "Captioncolor", "標題文字顏色", {246, 161, 32, 16}, pic::kTools, {32, 16}, 18, 1},
    {kFullScreen, "Fullscreen", "全螢幕切換", {284, 109, 34, 33}, pic::kFullScreen, {34, 33}, 0, 4},
    {kZoomIn, "Zoomin", "放大畫面", {216, 109, 34, 33}, pic::kZoom, {34, 33}, 0, 4},
    {kZoomOut, "Zoomout", "縮小畫面", {250, 109, 34, 33}, pic::kZoom, {34, 33}, 3, 4},
    {kAuthenticate, "Authenticate", nullptr, {278, 161, 32, 16}, pic::kTools, {32, 16}, 21, 1},
};
// clang-format on

struct LampSpec {
  const char* caption;
  const char* tooltip;
  QPoint at;
};

const LampSpec kLamps[CPlayerPanel::kLampCount] = {
    {"1/8 x", "1/8 x", {30, 111}}, {"1/6 x", "1/6 x", {30, 94}}, {"1/4 x", "1/4 x", {38, 77}},
    {"1/2 x", "1/2 x", {52, 65}},  {"1 x", "1 x", {72, 59}},     {"2 x", "2 x", {93, 65}},
    {"4 x", "4 x", {107, 77}},     {"H x", "快速", {114, 94}},   {"XH x", "超快速", {114, 111}},
};

constexpr QSize kLampSize{8, 8};

}  // namespace

QSize zoomInSize(QSize client) {
  int w = client.width(), h = client.height();
  if (w >= 800 || h >= 600) return client;
  w += 80;
  h += 60;
  if (w > 800 || h > 600) return {800, 600};
  return {w, h};
}

QSize zoomOutSize(QSize client) {
  const int w = client.width(), h = client.height();
  if (w <= 240 || h <= 180) return client;
  if (w - 80 < 240 || h - 60 < 180) return {240, 180};
  return {w - 80, h - 60};
}

CPlayerPanel::CPlayerPanel(PanelCommands& commands, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::FramelessWindowHint), commands_(commands) {
  setModal(false);
  setWindowTitle(QStringLiteral("KD播放器"));
  slider_ = new CPositionSlider(this);
  slider_->setObjectName(QStringLiteral("slider%1").arg(kSlider));
  slider_->setGeometry(10, 28, 300, 15);
  connect(slider_, &CPositionSlider::actionTriggered, this, &CPlayerPanel::sliderAction);
  connect(slider_, &CPositionSlider::sliderMoved, this, &CPlayerPanel::sliderDragged);
  connect(slider_, &CPositionSlider::sliderReleased, this, &CPlayerPanel::sliderReleased);
  connect(slider_, &CPositionSlider::wheelTurned, this, &CPlayerPanel::wheelTurned);
  createButtons();
  loadIcons();
  lightLamp(4);
  placeOnScreen();
}

void CPlayerPanel::createButtons() {
  // Edges in the panel's own colours: a soft glow of the hover colour over a dark shadow.
  QPalette skin = palette();
  skin.setColor(QPalette::Light, QColor(0x9C, 0xE0, 0xFF, 150));
  skin.setColor(QPalette::Dark, QColor(0x0C, 0x0E, 0x11));
  for (const ControlSpec& control : kControls) {
    auto* button = new CSkinButton(this);
    button->setPalette(skin);
    button->setObjectName(QStringLiteral("button%1").arg(control.id));
    button->setText(QString::fromUtf8(control.caption));
    if (control.tooltip) button->setToolTip(QString::fromUtf8(control.tooltip));
    button->setGeometry(control.rect);
    button->setBorderStyle(control.borderStyle);
    button->setFaceFilled(false);  // the panel's picture shows around the icon
    button->setVisible(control.rect.top() < kBottomRowTop);
    const int id = control.id;
    connect(button, &CSkinButton::clicked, this, [this, id] { pressed(id); });
    buttons_[id] = button;
  }
  for (int i = 0; i < kLampCount; ++i) {
    auto* lamp = new CSkinButton(this);
    const int id = kFirstLampId + i;
    lamp->setObjectName(QStringLiteral("button%1").arg(id));
    lamp->setText(QString::fromUtf8(kLamps[i].caption));
    lamp->setToolTip(QString::fromUtf8(kLamps[i].tooltip));
    lamp->setGeometry(QRect(kLamps[i].at, kLampSize));
    lamp->setBorderStyle(4);
    lamp->setFaceFilled(false);
    connect(lamp, &CSkinButton::clicked, this, [this, i] { lampPressed(i); });
    lamps_[size_t(i)] = lamp;
    buttons_[id] = lamp;
  }
}

// Sheets load in table order; as with a missing bitmap resource, the first one that fails leaves
// the rest of the buttons without icons.
void CPlayerPanel::loadIcons() {
  // Several buttons share a sheet: each is decoded once.
  const bool doubleSize = anyHighDensityScreen();
  std::map<std::tuple<int, int, int>, std::vector<QIcon>> sheets;
  for (const ControlSpec& control : kControls) {
    const auto key =
        std::make_tuple(control.sheet, control.iconSize.width(), control.iconSize.height());
    auto found = sheets.find(key);
    if (found == sheets.end())
      found = sheets.emplace(key, loadIconSheet(control.sheet, control.iconSize, doubleSize)).first;
    const std::vector<QIcon>& sheet = found->second;
    if (int(sheet.size()) < control.firstImage + 3) return;
    const auto first = size_t(control.firstImage);
    buttons_[control.id]->setIcons(sheet[first], sheet[first + 1], sheet[first + 2]);
  }
  lampIcons_ = loadIconSheet(panel_picture::kLamps, kLampSize, doubleSize);
  if (lampIcons_.size() < 2 * kLampCount) lampIcons_.clear();
}

void CPlayerPanel::placeOnScreen() {
  QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const int x = area.left() + (area.width() - kClientSize.width()) / 2;
  int y = area.top() + (area.height() - kClientSize.height()) / 2 + 266;
  // On a short screen the panel would hang off the bottom; keep it whole, expanded row included.
  y = std::min(y, area.bottom() + 1 - kClientSize.height() - kExpansion);
  setGeometry(QRect(QPoint(x, std::max(y, area.top())), kClientSize));
}

QAbstractButton* CPlayerPanel::button(int id) {
  const auto found = buttons_.find(id);
  return found == buttons_.end() ? nullptr : found->second;
}

void CPlayerPanel::reject() {}

// --- buttons ---------------------------------------------------------------

void CPlayerPanel::pressed(int id) {
  PanelCommands& doc = commands_;
  switch (id) {
    case kPower:
      doc.exitProgram();
      break;
    case kExpand:
      toggleExpanded();
      break;
    case kOpen:
      doc.openFile();
      break;
    case kStop:
      if (!doc.snapshotPictureShown() && !doc.verifying()) doc.closeRecording();
      break;
    case kPause:
      doc.togglePause();
      break;
    case kPlay:
      play();
      break;
    case kPreviousBlock:
      doc.previousBlock();
      break;
    // One click is one step: a Qt button reports each click once.
    case kStepBack:
      doc.stepBack();
      break;
    case kStepForward:
      doc.stepForward();
      break;
    case kNextBlock:
      doc.nextBlock();
      break;
    case kClipStart:
      doc.markClipStart();
      break;
    case kClipEnd:
      doc.markClipEnd();
      break;
    case kClipSave:
      doc.saveClip();
      break;
    case kClipLoad:
      doc.loadClip();
      break;
    case kSnapshot:
      doc.snapshot();
      break;
    case kCaption:
      if (!doc.verifying()) doc.toggleCaptions();
      break;
    case kCaptionColour:
      if (!doc.verifying()) doc.chooseCaptionColour();
      break;
    case kFullScreen:
      doc.toggleFullScreen();
      break;
    case kZoomIn:
      zoom(true);
      break;
    case kZoomOut:
      zoom(false);
      break;
    case kAuthenticate:
      if (!doc.snapshotPictureShown()) doc.startVerification();
      break;
    default:
      break;
  }
}

void CPlayerPanel::play() {
  if (commands_.snapshotPictureShown() || commands_.verifying()) return;
  if (currentSpeed() != 0) lightLamp(4);
  commands_.play();
}

void CPlayerPanel::lampPressed(int lamp) {
  // While the file is verified the speed stays as it is; the lamps too.
  if (lamp == litLamp_ || commands_.verifying()) return;
  lightLamp(lamp);
  commands_.setSpeed(lamp - 4);
}

void CPlayerPanel::showSpeed(int step) {
  if (step >= -4 && step <= 4) lightLamp(step + 4);
}

void CPlayerPanel::lightLamp(int lamp) {
  litLamp_ = lamp;
  if (lampIcons_.empty()) return;
  for (int i = 0; i < kLampCount; ++i)
    lamps_[size_t(i)]->setIcons(lampIcons_[size_t(2 * i + (i == lamp ? 1 : 0))]);
}

void CPlayerPanel::toggleExpanded() {
  expanded_ = !expanded_;
  for (const ControlSpec& control : kControls)
    if (control.rect.top() >= kBottomRowTop) buttons_[control.id]->setVisible(expanded_);
  // The authentication button joins the row too: the verification pass starts there.
  const QRect frame = geometry();
  setGeometry(frame.adjusted(0, 0, 0, expanded_ ? kExpansion : -kExpansion));
  update();
}

void CPlayerPanel::zoom(bool in) {
  if (commands_.isFullScreen()) return;
  const QSize client = commands_.clientSize();
  const QSize wanted = in ? zoomInSize(client) : zoomOutSize(client);
  if (wanted != client) commands_.resizeClient(wanted);
}

// --- slider ------------------------------------------------------------------

void CPlayerPanel::setFrameRange(int total, const std::vector<int>& ticks) {
  slider_->setRange(0, std::max(total, 0));
  slider_->setPageStep(std::max(total / 5, 1));
  slider_->setTicks(ticks);
}

void CPlayerPanel::setPlaybackPosition(int frameNumber) {
  lastPlaybackPosition_ = frameNumber;
  // The thumb stays under the user's hand while it is held.
  if (!slider_->isSliderDown()) slider_->setValue(frameNumber);
}

void CPlayerPanel::resetPosition() {
  slider_->setTicks({});
  slider_->clearSelection();
  slider_->setRange(0, 0);
  slider_->setValue(0);
  lastPlaybackPosition_ = 0;
}

void CPlayerPanel::setSelection(int from, int to) {
  slider_->setSelection(from, to);
}
void CPlayerPanel::clearSelection() {
  slider_->clearSelection();
}

void CPlayerPanel::sliderAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderPageStepAdd:
    case QAbstractSlider::SliderPageStepSub: {
      // A page click jumps a block towards the click.
      const int position = slider_->sliderPosition();
      if (position > lastPlaybackPosition_)
        commands_.nextBlock();
      else if (position < lastPlaybackPosition_)
        commands_.previousBlock();
      break;
    }
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
      locate();
      break;
    default:
      break;
  }
}

// Motion comparison rests while the thumb is dragged: the pictures jump.
void CPlayerPanel::sliderDragged() {
  if (!commands_.isMotionSuspended()) commands_.toggleMotionSuspend();
  locate();
}

void CPlayerPanel::sliderReleased() {
  if (commands_.isMotionSuspended()) commands_.toggleMotionSuspend();
  locate();
}

void CPlayerPanel::wheelTurned(int direction) {
  if (!commands_.isMotionSuspended()) commands_.toggleMotionSuspend();
  if (direction > 0)
    commands_.previousBlock();
  else
    commands_.nextBlock();
  if (commands_.isMotionSuspended()) commands_.toggleMotionSuspend();
}

void CPlayerPanel::locate() {
  const SliderLocation at = locateOnTicks(slider_->sliderPosition(), slider_->ticks());
  if (at.block < 0) return;
  if (commands_.isPaused())
    commands_.setPendingPosition(at.block, at.frame);
  else
    commands_.seek(at.block, 0);
}

// --- drawing and dragging ------------------------------------------------------

void CPlayerPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const qreal ratio = devicePixelRatioF();
  if (background_.isNull() || background_.devicePixelRatio() != (ratio > 1.0 ? 2.0 : 1.0))
    background_ = loadPanelPicture(panel_picture::kPanelBackground, ratio);
  if (background_.isNull())
    painter.fillRect(rect(), QColor(0x30, 0x33, 0x38));
  else
    painter.drawPixmap(0, 0, background_);
}

// The whole body is a handle: the panel has no title bar.
void CPlayerPanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QDialog::mousePressEvent(event);
  if (windowHandle() && windowHandle()->startSystemMove()) return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CPlayerPanel::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return QDialog::mouseMoveEvent(event);
  move(event->globalPosition().toPoint() - dragOffset_);
}

void CPlayerPanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
  QDialog::mouseReleaseEvent(event);
}

}  // namespace kd
