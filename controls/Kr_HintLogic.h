// The application's hint logic while a KrHint exists: which control's hint to
// show, when it starts, when it goes, on QTimers with the application's hint
// timings. It watches every event of the application, so Qt's own tool tip
// never appears for a control whose hint the balloon shows.
//
// User-interface thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace parvex {

class KrHintWindow;

// How long the pointer must rest before a hint shows (pause), the shorter
// wait when it moves from one hinted control to the next while a hint is up
// (shortPause), and how long a hint stays (hidePause); milliseconds.
struct KrHintTimings {
  int pause = 500;
  int shortPause = 50;
  int hidePause = 2500;
};

// The one set of timings of the application; KrHint writes changed pauses here.
KrHintTimings& ApplicationHintTimings();

class KrHintLogic : public QObject {
  Q_OBJECT

 public:
  // Taken by every KrHint while it exists; the first takes the hints over from
  // Qt's tool tips, the last one released hands them back.
  static void Acquire();
  static void Release();
  // Null while no KrHint exists.
  static KrHintLogic* Instance();

  KrHintWindow* Window() const { return window_.get(); }
  // The control whose hint shows or is about to show.
  QWidget* HintControl() const { return control_; }

  // The rectangle the class library would propose for `text`: its width in the
  // standard hint font (wrapped only at the screen's width) plus 6.
  static QRect StandardHintRect(const QString& text, QPoint pointer);

  // The control whose hint covers `widget`: the nearest one, in the same
  // window, that has a hint text.
  static QWidget* HintControlOf(QWidget* widget);

  ~KrHintLogic() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  KrHintLogic();
  void PointerMoved(QWindow* window, QPoint local);
  void PointerOver(QWidget* control);
  void ShowNow();
  void Expire();
  void Cancel();

  std::unique_ptr<KrHintWindow> window_;
  QPointer<QWidget> control_;
  // The hint of control_ has been shown for its full time; it comes again only
  // after the pointer has been elsewhere.
  bool expired_ = false;
  QTimer showTimer_;
  QTimer hideTimer_;
};

}  // namespace parvex
