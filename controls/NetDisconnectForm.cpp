// The dialog that disconnects a network drive or printer (see NetDisconnectForm.h).
#include "controls/NetDisconnectForm.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "controls/NetQuestion.h"

namespace parvex {

TNetDisconnectForm::TNetDisconnectForm(TNetPlaces& places, bool printers, QWidget* parent)
    : QDialog(parent), places_(places), printers_(printers) {
  setObjectName(QStringLiteral("NetDisconnectForm"));
  setWindowTitle(printers ? QStringLiteral("Disconnect Network Printers")
                          : QStringLiteral("Disconnect Network Drives"));
  auto* column = new QVBoxLayout(this);
  column->addWidget(new QLabel(printers ? QStringLiteral("Choose the network printer to disconnect:")
                                        : QStringLiteral("Choose the network connection to disconnect:"),
                               this));
  list = new QTreeWidget(this);
  list->setObjectName(QStringLiteral("connectionList"));
  list->setRootIsDecorated(false);
  list->setAllColumnsShowFocus(true);
  // Mount points differ at their ends (the share's own name).
  list->setTextElideMode(Qt::ElideMiddle);
  list->setHeaderLabels(printers ? QStringList{QStringLiteral("Printer"), QStringLiteral("Address")}
                                 : QStringList{QStringLiteral("Network Path"), QStringLiteral("Mounted At")});
  list->header()->setStretchLastSection(true);
  list->setColumnWidth(0, 260);
  list->setMinimumSize(560, 160);
  column->addWidget(list, 1);

  question = new TNetQuestionPanel(this);
  column->addWidget(question);
  status.Create(this);
  column->addWidget(status.row());
  column->addWidget(status.busyBar());

  auto* buttons = new QDialogButtonBox(this);
  disconnectButton = buttons->addButton(QStringLiteral("&Disconnect"), QDialogButtonBox::AcceptRole);
  disconnectButton->setObjectName(QStringLiteral("disconnectButton"));
  disconnectButton->setDefault(true);
  cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  column->addWidget(buttons);
  connect(disconnectButton, &QPushButton::clicked, this, &TNetDisconnectForm::DisconnectClick);
  connect(cancelButton, &QPushButton::clicked, this, &TNetDisconnectForm::CancelClick);
  connect(list, &QTreeWidget::itemDoubleClicked, this, &TNetDisconnectForm::DisconnectClick);
  connect(list, &QTreeWidget::currentItemChanged, this, &TNetDisconnectForm::UpdateButtons);
  connect(question, &TNetQuestionPanel::changed, this, &TNetDisconnectForm::UpdateButtons);

  Refill(QString());
  // When nothing could be read at all, that is what the dialog gives back.
  if (connections_.empty() && status.showsFailure()) outcome_ = lastProblem_;
  list->setFocus();
}

TNetDisconnectForm::~TNetDisconnectForm() {
  if (job_) job_->Cancel();
  job_.reset();
}

void TNetDisconnectForm::Refill(const QString& keepKey) {
  TNetOutcome problem;
  connections_ = printers_ ? places_.PrinterConnections(&problem) : places_.DiskConnections(&problem);
  lastProblem_ = problem.code;
  list->clear();
  QTreeWidgetItem* keep = nullptr;
  for (const TNetConnection& connection : connections_) {
    auto* item = new QTreeWidgetItem(list, QStringList{connection.remoteName, connection.mountedAt});
    item->setToolTip(0, connection.remoteName);
    item->setToolTip(1, connection.mountedAt);
    if (keep == nullptr && connection.key == keepKey) keep = item;
  }
  if (keep == nullptr) keep = list->topLevelItem(0);
  list->setCurrentItem(keep);
  if (problem.code != 0) {
    status.ShowFailure(problem.message);
  } else if (connections_.empty()) {
    status.ShowNote(printers_ ? QStringLiteral("There are no network printers to disconnect.")
                              : QStringLiteral("There are no network connections to disconnect."));
  } else {
    status.ShowNote(QString());
  }
  UpdateButtons();
}

void TNetDisconnectForm::DisconnectClick() {
  if (question->asking() == TNetQuestionPanel::qaPassword) {
    question->Answer();
    return;
  }
  if (job_ != nullptr) return;
  const int row = list->currentItem() != nullptr ? list->indexOfTopLevelItem(list->currentItem()) : -1;
  if (row < 0 || row >= static_cast<int>(connections_.size())) return;
  const TNetConnection chosen = connections_[static_cast<std::size_t>(row)];
  status.ShowWorking(QStringLiteral("Disconnecting %1 ...").arg(chosen.remoteName));
  job_ = places_.Disconnect(chosen, *this, [this, chosen](TNetOutcome outcome) { Finished(chosen, outcome); });
  UpdateButtons();
}

void TNetDisconnectForm::CancelClick() {
  if (question->asking() != TNetQuestionPanel::qaNothing) {
    question->Decline();
    return;
  }
  if (job_ != nullptr) {
    job_->Cancel();
    return;
  }
  QDialog::reject();
}

void TNetDisconnectForm::reject() {
  if (closing_) {
    QDialog::reject();
    return;
  }
  CancelClick();
}

void TNetDisconnectForm::closeEvent(QCloseEvent* event) {
  question->Withdraw();
  if (job_) job_->Cancel();
  job_.reset();
  closing_ = true;
  QDialog::closeEvent(event);
  closing_ = false;
}

void TNetDisconnectForm::Finished(const TNetConnection& connection, const TNetOutcome& outcome) {
  question->Withdraw();
  job_.reset();
  if (outcome.code == 0) {
    outcome_ = 0;
    accept();
    return;
  }
  Refill(connection.key);
  // Back where the user left it (the list was out of use while it worked).
  list->setFocus();
  if (outcome.code < 0) {
    status.ShowNote(QStringLiteral("%1 stays connected.").arg(connection.remoteName));
  } else {
    status.ShowFailure(QStringLiteral("Could not disconnect %1: %2").arg(connection.remoteName, outcome.message));
  }
}

void TNetDisconnectForm::AskPassword(const TNetPasswordQuestion& asked,
                                     std::function<void(std::optional<TNetPasswordAnswer>)> reply) {
  question->AskPassword(asked, std::move(reply));
}

void TNetDisconnectForm::AskChoice(const TNetChoiceQuestion& asked, std::function<void(int)> reply) {
  question->AskChoice(asked, std::move(reply));
}

void TNetDisconnectForm::QuestionWithdrawn() { question->Withdraw(); }

void TNetDisconnectForm::UpdateButtons() {
  const bool idle = job_ == nullptr;
  list->setEnabled(idle);
  disconnectButton->setEnabled(question->asking() == TNetQuestionPanel::qaPassword ||
                               (idle && list->currentItem() != nullptr));
}

}  // namespace parvex
