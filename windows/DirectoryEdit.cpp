// The directory edit of the Join page.
#include "windows/DirectoryEdit.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

#include "windows/Dialogs.h"

TDirectoryEdit::TDirectoryEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), button_(new QToolButton(this)) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edit_, 1);
  layout->addWidget(button_);
  button_->setText(QStringLiteral("..."));
  button_->setCursor(Qt::PointingHandCursor);
  button_->setFocusPolicy(Qt::TabFocus);
  setFocusProxy(edit_);
  connect(button_, &QToolButton::clicked, this, &TDirectoryEdit::browse);
  connect(edit_, &QLineEdit::textChanged, this, &TDirectoryEdit::textChanged);
}

QString TDirectoryEdit::text() const { return edit_->text(); }

void TDirectoryEdit::setText(const QString& text) { edit_->setText(text); }

void TDirectoryEdit::browse() {
  const QString start = text().isEmpty() ? QDir::homePath() : text();
  TDialogs* dialogs = TDialogs::Default();
  const QString chosen = dialogs->GetDirectory(window(), start);
  if (chosen.isEmpty()) return;
  // A folder typed in the dialog need not exist yet: it is made, after asking.
  if (!QFileInfo(chosen).isDir()) {
    if (QFileInfo::exists(chosen)) {
      dialogs->MessageBox(window(), chosen + QStringLiteral(" is a file, not a folder"), TDialogs::miError,
                          TDialogs::mbOK);
      return;
    }
    if (dialogs->MessageBox(window(),
                            QStringLiteral("The folder ") + chosen +
                                QStringLiteral(" does not exist.\nDo you want to create it?"),
                            TDialogs::miConfirmation, TDialogs::mbYesNo) != TDialogs::idYes)
      return;
    if (!QDir().mkpath(chosen)) {
      dialogs->MessageBox(window(), QStringLiteral("Cannot create the folder ") + chosen, TDialogs::miError,
                          TDialogs::mbOK);
      return;
    }
  }
  setText(QDir::toNativeSeparators(chosen));
}
