// TTextListBox: the list of text lines with several lines selectable and a
// fixed item height, on which files can be dropped from a file manager.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QListWidget>
#include <QStringList>

class QMimeData;

class TTextListBox : public QListWidget {
  Q_OBJECT
  Q_PROPERTY(int ItemHeight READ itemHeight WRITE setItemHeight)

 public:
  explicit TTextListBox(QWidget* parent = nullptr);

  int itemHeight() const { return itemHeight_; }
  void setItemHeight(int height);

  // Every line, top to bottom.
  QStringList lines() const;

  // The local files a drag carries (directories and remote places left out).
  static QStringList droppedFiles(const QMimeData* data);

 signals:
  // Local files were dropped on the list, in the order the drag gave them.
  void filesDropped(const QStringList& files);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  int itemHeight_ = 18;
};
