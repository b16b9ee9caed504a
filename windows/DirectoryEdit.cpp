// The directory edit of the Join page.
#include "windows/DirectoryEdit.h"

#include <QDir>
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
  button_->setFocusPolicy(Qt::NoFocus);
  setFocusProxy(edit_);
  connect(button_, &QToolButton::clicked, this, &TDirectoryEdit::browse);
  connect(edit_, &QLineEdit::textChanged, this, &TDirectoryEdit::textChanged);
}

QString TDirectoryEdit::text() const { return edit_->text(); }

void TDirectoryEdit::setText(const QString& text) { edit_->setText(text); }

void TDirectoryEdit::browse() {
  const QString start = text().isEmpty() ? QDir::homePath() : text();
  const QString chosen = TDialogs::Default()->GetDirectory(window(), start);
  if (!chosen.isEmpty()) setText(QDir::toNativeSeparators(chosen));
}
