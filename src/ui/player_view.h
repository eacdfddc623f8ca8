#pragma once
// CKadrelPlayerView: the window the video is presented in. It receives the play window's
// notifications and shows each frame through the document's presenter with the caption record,
// draws the idle picture (with the reason when a file did not open), stand-by picture A while
// video is lost and snapshot pictures with their own colours and captions, and turns mouse drags
// into zoom rectangles or motion zones.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <memory>

class QLabel;
class QTimer;

#include "playback/colour_control.h"
#include "playback/player_notify.h"
#include "playback/printed_page.h"
#include "playback/qt/picture_widget.h"

namespace kd {

class CKadrelPlayerDoc;
class SnapshotImage;
class SnapshotPrinting;

class CKadrelPlayerView : public PictureWidget, public PlayWindowParent {
  Q_OBJECT

 public:
  explicit CKadrelPlayerView(QWidget* parent = nullptr);
  ~CKadrelPlayerView() override;
  void setDocument(CKadrelPlayerDoc* document) { document_ = document; }

  // PlayWindowParent: the play window's notifications.
  void onPlayerFrame(PictureFrame& frame) override;
  void onPlayerMotion(const MotionZoneBlock& zones) override;
  void onPlayerScanFrame(PictureFrame& frame) override;
  void onPlayerStopped() override;

  // Colour sets (the image configuration dialog) and the colour worker's life.
  ColourControl& colourControl() { return colours_; }
  void setColours(const ColourSet& colours);
  void onRecordingOpened();
  void onRecordingClosed();

  // What the idle picture says: why the last file did not open (empty: nothing).
  void setIdleReason(const QString& reason);
  const QString& idleReason() const { return idleReason_; }
  bool videoLost() const { return videoLost_; }
  int shownBlock() const { return shownBlock_; }
  int shownFrame() const { return shownFrame_; }

  // Snapshot pictures (picture mode): the picture and its captions.
  void showSnapshot(const SnapshotImage* picture);
  void toggleSnapshotCaptions();
  bool snapshotCaptions() const { return snapshotCaptions_; }
  void chooseSnapshotTextColour();
  // Printing the snapshot picture: the print settings and printer, the picture as shown (its
  // colour set applied) and what the page says about it.
  SnapshotPrinting& printing() { return *printing_; }
  QImage adjustedSnapshot() const;
  SnapshotPageInput snapshotPageInput() const;

  // A short note over the picture (where a snapshot went), gone after a few seconds.
  void showNotice(const QString& text);
  QString notice() const;

  // The client area as it is shown now: picture with captions, or the idle/stand-by picture.
  QImage grabClient();
  // Zoom: the document's mouse mode goes back to none (the recording closed).
  void resetZoom();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  enum class Showing { Video, Idle, VideoLost, Snapshot };
  Showing showing() const;
  void paintOwn(QPaintDevice& device);
  void paintIdle(QPainter& painter, const QRect& client);
  void paintSnapshot(QPainter& painter, const QRect& client);
  void leaveFullScreen();

  CKadrelPlayerDoc* document_ = nullptr;
  ColourControl colours_;
  QString idleReason_;
  // The idle picture, decoded once per device pixel ratio and kept ready to draw.
  QImage idlePicture_;
  qreal idleRatio_ = 0;
  bool videoLost_ = false;
  int shownBlock_ = 0;
  int shownFrame_ = 0;

  // Snapshot picture shown: top-down RGB32, colour set applied at paint.
  QImage snapshot_;
  QString snapshotCard_, snapshotCamera_, snapshotTime_;
  bool snapshotCaptions_ = false;
  uint32_t snapshotTextColour_ = 0xFFFF00;
  std::unique_ptr<SnapshotPrinting> printing_;

  QLabel* notice_ = nullptr;
  QTimer* noticeTimer_ = nullptr;

  QPoint dragStart_;
  QSize dragClient_;
  bool motionDrag_ = false;
};

}  // namespace kd
