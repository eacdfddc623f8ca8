// Draws the stand-by pictures and status icons of res/side_pictures.qrc.
// Build and run once when they change:
//   g++ -std=c++20 -fPIC make_side_pictures.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/msp
//   QT_QPA_PLATFORM=offscreen /tmp/msp side
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace {

QImage standby(const QString& words, QColor colour) {
  QImage image(320, 240, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setRenderHint(QPainter::TextAntialiasing, false);
  QFont font("Noto Sans", 28, QFont::Bold);
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  p.setPen(colour);
  p.drawText(image.rect(), Qt::AlignCenter, words);
  return image;
}

QImage loudspeaker() {
  QImage image(16, 16, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  const QColor green(0, 200, 0);
  p.setPen(Qt::NoPen);
  p.setBrush(green);
  p.drawRect(2, 6, 3, 4);  // magnet
  QPolygon cone;
  cone << QPoint(5, 6) << QPoint(9, 2) << QPoint(9, 13) << QPoint(5, 9);
  p.drawPolygon(cone);
  p.setPen(QPen(green, 1));
  p.setBrush(Qt::NoBrush);
  p.drawArc(QRect(8, 5, 4, 6), -60 * 16, 120 * 16);  // sound waves
  p.drawArc(QRect(8, 3, 7, 10), -60 * 16, 120 * 16);
  return image;
}

QImage pointingHand() {
  QImage image(16, 16, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter p(&image);
  const QColor orange(255, 140, 0);
  p.setPen(Qt::NoPen);
  p.setBrush(orange);
  p.drawRect(6, 1, 3, 8);   // index finger
  p.drawRect(3, 8, 10, 6);  // palm and folded fingers
  p.drawRect(1, 9, 2, 3);   // thumb
  p.setPen(QColor(160, 80, 0));
  p.drawLine(6, 11, 12, 11);  // knuckles
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QDir out(argc > 1 ? argv[1] : ".");
  QDir().mkpath(out.path());
  bool ok = standby("VIDEO LOST", QColor(255, 0, 0)).save(out.filePath("standby_video_lost.png"));
  ok &= standby("IDLE", QColor(0, 0, 255)).save(out.filePath("standby_idle.png"));
  ok &= loudspeaker().save(out.filePath("icon_sound.png"));
  ok &= pointingHand().save(out.filePath("icon_selected.png"));
  return ok ? 0 : 1;
}
