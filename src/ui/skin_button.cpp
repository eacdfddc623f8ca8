#include "ui/skin_button.h"

#include <qdrawutil.h>

#include <QEnterEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

namespace kd {

CSkinButton::CSkinButton(QWidget* parent) : QAbstractButton(parent) {
  setCursor(Qt::PointingHandCursor);
  setMouseTracking(true);
  setFocusPolicy(Qt::NoFocus);
}

void CSkinButton::setIcons(const QIcon& normal, const QIcon& hover, const QIcon& pressed) {
  normal_ = normal;
  hover_ = hover;
  pressed_ = pressed;
  update();
}

void CSkinButton::setDisabledIcon(const QIcon& icon) {
  disabled_ = icon;
  update();
}

void CSkinButton::setBorderStyle(int style) {
  if (style < 1 || style > 4) return;
  borderStyle_ = style;
  update();
}

void CSkinButton::setFaceFilled(bool filled) {
  faceFilled_ = filled;
  update();
}

void CSkinButton::setShowsCaption(bool shows) {
  showsCaption_ = shows;
  update();
}

QSize CSkinButton::sizeHint() const {
  return normal_.isNull() ? QSize(24, 24) : size();
}

void CSkinButton::setLit(bool lit) {
  if (lit_ == lit) return;
  lit_ = lit;
  update();
}

// The light follows the mouse: on while it rests over the button with no left button held, off
// as soon as it leaves or presses (the pressed image then takes over).
void CSkinButton::enterEvent(QEnterEvent* event) {
  const bool held = QGuiApplication::mouseButtons() & Qt::LeftButton;
  if (isEnabled() && !held && canLight()) setLit(true);
  QAbstractButton::enterEvent(event);
}

void CSkinButton::leaveEvent(QEvent* event) {
  setLit(false);
  QAbstractButton::leaveEvent(event);
}

void CSkinButton::mouseMoveEvent(QMouseEvent* event) {
  const bool inside = rect().contains(event->position().toPoint());
  setLit(inside && !(event->buttons() & Qt::LeftButton) && isEnabled() && canLight());
  QAbstractButton::mouseMoveEvent(event);
}

void CSkinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) setLit(false);
  QAbstractButton::mousePressEvent(event);
}

void CSkinButton::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange && !isEnabled()) setLit(false);
  QAbstractButton::changeEvent(event);
}

void CSkinButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (isChecked())
    painter.fillRect(rect(), palette().color(QPalette::Light));
  else if (faceFilled_)
    painter.fillRect(rect(), palette().color(QPalette::Button));
  drawBorder(painter);
  drawIcon(painter);
  if (showsCaption_ && !text().isEmpty()) {
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(rect(), Qt::AlignCenter, text());
  }
}

void CSkinButton::drawBorder(QPainter& painter) {
  switch (borderStyle_) {
    case 1:
      if (lit_) qDrawShadePanel(&painter, rect(), palette(), false, 1);
      break;
    case 2:
      qDrawShadePanel(&painter, rect(), palette(), isDown(), 1);
      break;
    case 3:
      qDrawWinPanel(&painter, rect(), palette(), false);
      break;
    default:
      break;
  }
}

void CSkinButton::drawIcon(QPainter& painter) {
  const qreal ratio = devicePixelRatioF();
  const QSize box = size();
  QPixmap picture;
  QPoint shift;
  if (!isEnabled()) {
    picture = disabled_.isNull() ? normal_.pixmap(box, ratio, QIcon::Disabled)
                                 : disabled_.pixmap(box, ratio);
  } else if (lit_ && !hover_.isNull()) {
    picture = hover_.pixmap(box, ratio);
  } else if (isDown()) {
    if (!pressed_.isNull()) {
      picture = pressed_.pixmap(box, ratio);
    } else if (!hover_.isNull()) {
      picture = hover_.pixmap(box, ratio);
    } else {
      picture = normal_.pixmap(box, ratio);
      if (borderStyle_ != 4) shift = QPoint(1, 1);
    }
  } else {
    picture = normal_.pixmap(box, ratio);
  }
  if (picture.isNull()) return;
  const QSizeF drawn = picture.deviceIndependentSize();
  const QPoint at(int((box.width() - drawn.width()) / 2), int((box.height() - drawn.height()) / 2));
  painter.drawPixmap(at + shift, picture);
}

}  // namespace kd
