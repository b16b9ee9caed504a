// A program for looking at the System Information window by eye (not a test,
// not shipped): the window on this machine, shown on its own, with one page
// selected. Run under a display and take a screenshot.
//
//   Un_SysInfo_look [page [expand]]
//
// `page` is a node's caption, or the beginning of one ("C:" for drive C);
// "expand" opens every node first. Without a page, nothing is selected;
// "clock" hides the list, to show the date-and-time panel.
#include <QApplication>
#include <QTimer>
#include <QTreeWidget>

#include "windows/Un_SysInfo.h"

namespace {

QTreeWidgetItem* FindNode(QTreeWidget* tree, const QString& caption) {
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
    if ((*it)->text(0) == caption) return *it;
  }
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) {
    if ((*it)->text(0).startsWith(caption)) return *it;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QIcon icon(QStringLiteral(":/icons/parvex-32.png"));
  QApplication::setWindowIcon(icon);
  TSysInfoForm form;
  QObject::connect(&form, &QDialog::finished, &app, &QCoreApplication::quit);
  form.show();
  const QString page = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  const bool expand = argc > 2 && QByteArray(argv[2]) == "expand";
  // Once the drives have answered, the tree is complete.
  auto* select = new QTimer(&form);
  select->setInterval(50);
  QObject::connect(select, &QTimer::timeout, &form, [&form, select, page, expand] {
    if (form.WaitingForDrives()) return;
    select->stop();
    if (expand) form.tvSI->expandAll();
    if (page == QLatin1String("clock")) form.lvSI->hide();
    if (page.isEmpty() || page == QLatin1String("clock")) return;
    if (QTreeWidgetItem* node = FindNode(form.tvSI, page)) form.tvSI->setCurrentItem(node);
  });
  select->start();
  return app.exec();
}
