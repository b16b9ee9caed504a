// The file list of the Split page: fixed-height lines, extended selection, drops.
#include "windows/TextListBox.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QStyledItemDelegate>
#include <QUrl>

namespace {

// Every line gets the list's item height, whatever its font would ask for.
class TFixedHeightDelegate : public QStyledItemDelegate {
 public:
  TFixedHeightDelegate(TTextListBox* list) : QStyledItemDelegate(list), list_(list) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), list_->itemHeight());
  }

 private:
  TTextListBox* list_;
};

}  // namespace

TTextListBox::TTextListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setUniformItemSizes(true);
  setItemDelegate(new TFixedHeightDelegate(this));
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
}

void TTextListBox::setItemHeight(int height) {
  if (height == itemHeight_ || height < 1) return;
  itemHeight_ = height;
  doItemsLayout();
}

QStringList TTextListBox::lines() const {
  QStringList result;
  result.reserve(count());
  for (int i = 0; i < count(); ++i) result << item(i)->text();
  return result;
}

QStringList TTextListBox::droppedFiles(const QMimeData* data) {
  QStringList files;
  if (!data || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (!url.isLocalFile()) continue;
    const QString path = url.toLocalFile();
    // A directory would go into the set as a name with nothing stored under it.
    if (QFileInfo(path).isDir()) continue;
    files << path;
  }
  return files;
}

void TTextListBox::dragEnterEvent(QDragEnterEvent* event) {
  if (droppedFiles(event->mimeData()).isEmpty()) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void TTextListBox::dragMoveEvent(QDragMoveEvent* event) {
  if (droppedFiles(event->mimeData()).isEmpty()) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
}

void TTextListBox::dropEvent(QDropEvent* event) {
  const QStringList files = droppedFiles(event->mimeData());
  if (files.isEmpty()) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  emit filesDropped(files);
}
