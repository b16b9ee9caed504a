// TDirectoryEdit: a line edit for a directory with a browse button beside it
// that opens the folder dialog (through the windows' dialog seam).
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QToolButton;

class TDirectoryEdit : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString Text READ text WRITE setText NOTIFY textChanged)

 public:
  explicit TDirectoryEdit(QWidget* parent = nullptr);

  QString text() const;
  void setText(const QString& text);
  QLineEdit* edit() const { return edit_; }
  QToolButton* browseButton() const { return button_; }

 public slots:
  // Lets the user choose a folder, starting at the one typed; a choice replaces
  // the text. A folder typed in the dialog that does not exist yet is created
  // first, when the user agrees.
  void browse();

 signals:
  void textChanged(const QString& text);

 private:
  QLineEdit* edit_;
  QToolButton* button_;
};
