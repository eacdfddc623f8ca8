#pragma once
// An icon button drawn by itself: normal, hover, pressed and disabled images, a light that comes
// on while the mouse rests over it, four border styles and a hand cursor.
#include <QAbstractButton>
#include <QIcon>

namespace kd {

class CSkinButton : public QAbstractButton {
  Q_OBJECT

 public:
  explicit CSkinButton(QWidget* parent = nullptr);

  // Each icon may carry 1× and 2× pixmaps; a null icon means "none".
  void setIcons(const QIcon& normal, const QIcon& hover = {}, const QIcon& pressed = {});
  void setDisabledIcon(const QIcon& icon);
  // 1: raised edge while lit, 2: thin edge, sunken when pressed, 3: double edge, 4: no edge.
  // Other values are ignored.
  void setBorderStyle(int style);
  int borderStyle() const { return borderStyle_; }
  // Without a face the parent's picture shows through the icons' transparent parts.
  void setFaceFilled(bool filled);
  void setShowsCaption(bool shows);
  bool isLit() const { return lit_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  bool canLight() const { return borderStyle_ == 1 || !hover_.isNull(); }
  void setLit(bool lit);
  void drawBorder(class QPainter& painter);
  void drawIcon(QPainter& painter);

  QIcon normal_, hover_, pressed_, disabled_;
  int borderStyle_ = 1;
  bool faceFilled_ = true;
  bool showsCaption_ = false;
  bool lit_ = false;
};

}  // namespace kd
