// TForm3, the About window: the program's icon, its name and version in raised
// lettering, the maker line in gold, a steel "Close" caption that works as a
// button, and a notes panel over the whole window that every activation hides.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QStringList>
#include <QWidget>

class QLabel;

namespace parvex {
class TBI_Memo;
class TLabelEffect;
}  // namespace parvex

class TForm3 : public QWidget {
  Q_OBJECT

 public:
  // The window, hidden, with its components as its description gives them.
  explicit TForm3(QWidget* parent = nullptr);
  ~TForm3() override;
  TForm3(const TForm3&) = delete;
  TForm3& operator=(const TForm3&) = delete;

  static constexpr int kClientWidth = 471;
  static constexpr int kClientHeight = 256;
  // The captions and the notes.
  static const QString kTitle;      // "Parvex, v. 1.1"
  static const QString kMakerLine;
  static const QStringList kNotes;

  // --- The window's components, in creation order (later ones on top).
  QLabel* Image1 = nullptr;
  parvex::TLabelEffect* LabelEffect1 = nullptr;  // the name and version
  parvex::TLabelEffect* LabelEffect2 = nullptr;  // the maker line
  parvex::TLabelEffect* LabelEffect3 = nullptr;  // "Close"
  parvex::TBI_Memo* BI_Memo1 = nullptr;          // the notes

 public slots:
  // Runs at every activation: hides the notes.
  void FormActivate();
  // Closes the About window (the program's one, Form3), which hides it.
  void LabelEffect3Click();

 protected:
  bool event(QEvent* event) override;

 public:
  // Showing places the window at the screen's centre, every time.
  void setVisible(bool visible) override;

 private:
  void CreateComponents();
  void PlaceAtScreenCentre();
};

// The window's one instance, created fourth at program start-up.
extern TForm3* Form3;
