// The dialog that connects a share (see NetConnectForm.h).
#include "controls/NetConnectForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#include "controls/NetQuestion.h"

namespace parvex {

// --- TNetStatus

void TNetStatus::Create(QWidget* parent) {
  row_ = new QWidget(parent);
  auto* line = new QHBoxLayout(row_);
  line->setContentsMargins(0, 0, 0, 0);
  icon_ = new QLabel(row_);
  icon_->setAlignment(Qt::AlignTop);
  text_ = new QLabel(row_);
  text_->setObjectName(QStringLiteral("statusText"));
  text_->setWordWrap(true);
  text_->setTextFormat(Qt::PlainText);
  text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  line->addWidget(icon_);
  line->addWidget(text_, 1);
  busy_ = new QProgressBar(parent);
  busy_->setObjectName(QStringLiteral("busyBar"));
  busy_->setRange(0, 0);  // going on, for as long as it takes
  busy_->setTextVisible(false);
  busy_->setMaximumHeight(12);
  busy_->hide();
  ShowNote(QString());
}

void TNetStatus::ShowNote(const QString& note) {
  failure_ = false;
  icon_->clear();
  icon_->hide();
  text_->setText(note);
  busy_->hide();
}

void TNetStatus::ShowFailure(const QString& failure) {
  failure_ = true;
  const int size = row_->style()->pixelMetric(QStyle::PM_SmallIconSize);
  icon_->setPixmap(row_->style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(size, size));
  icon_->show();
  text_->setText(failure);
  busy_->hide();
}

void TNetStatus::ShowWorking(const QString& what) {
  ShowNote(what);
  busy_->show();
}

// --- TNetConnectForm

const QStringList TNetConnectForm::kSchemes{"smb", "sftp", "ftp", "dav", "davs", "nfs"};

TNetConnectForm::TNetConnectForm(TNetPlaces& places, const QStringList& remembered, QWidget* parent)
    : QDialog(parent), places_(places) {
  setObjectName(QStringLiteral("NetConnectForm"));
  setWindowTitle(QStringLiteral("Connect Network Drive"));
  auto* column = new QVBoxLayout(this);
  // The dialog grows with a question or a long reason and shrinks after.
  column->setSizeConstraint(QLayout::SetFixedSize);

  auto* intro = new QLabel(QStringLiteral("Type the address of the network share to connect:"), this);
  column->addWidget(intro);
  auto* grid = new QGridLayout;
  auto* addressLabel = new QLabel(QStringLiteral("&Address:"), this);
  addressBox = new QComboBox(this);
  addressBox->setObjectName(QStringLiteral("addressBox"));
  addressBox->setEditable(true);
  addressBox->setInsertPolicy(QComboBox::NoInsert);
  addressBox->addItems(remembered);
  addressBox->setCurrentIndex(-1);
  addressBox->setEditText(QString());
  addressBox->setMinimumWidth(360);
  addressLabel->setBuddy(addressBox);
  grid->addWidget(addressLabel, 0, 0);
  grid->addWidget(addressBox, 0, 1);
  auto* examples = new QLabel(QStringLiteral("For example smb://server/share, sftp://user@host/path,\n"
                                             "ftp://host/, davs://host/path or nfs://host/export"),
                              this);
  examples->setEnabled(false);  // the platform's grey for a hint
  grid->addWidget(examples, 1, 1);
  column->addLayout(grid);

  question = new TNetQuestionPanel(this);
  column->addWidget(question);
  status.Create(this);
  column->addWidget(status.row());
  column->addWidget(status.busyBar());
  column->addStretch(1);

  auto* buttons = new QDialogButtonBox(this);
  connectButton = buttons->addButton(QStringLiteral("C&onnect"), QDialogButtonBox::AcceptRole);
  connectButton->setObjectName(QStringLiteral("connectButton"));
  cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
  cancelButton->setObjectName(QStringLiteral("cancelButton"));
  connectButton->setDefault(true);
  column->addWidget(buttons);
  // The buttons' own roles would close the dialog; these decide for themselves.
  connect(connectButton, &QPushButton::clicked, this, &TNetConnectForm::ConnectClick);
  connect(cancelButton, &QPushButton::clicked, this, &TNetConnectForm::CancelClick);
  connect(addressBox, &QComboBox::editTextChanged, this, &TNetConnectForm::UpdateButtons);
  connect(question, &TNetQuestionPanel::changed, this, &TNetConnectForm::UpdateButtons);

  // Without GVfs nothing can be connected: the dialog says so at once.
  const TNetOutcome service = places_.ConnectProblem(QString());
  if (service.code != 0) {
    noService_ = true;
    outcome_ = service.code;
    status.ShowFailure(service.message);
    addressBox->setEnabled(false);
  }
  UpdateButtons();
  addressBox->setFocus();
}

TNetConnectForm::~TNetConnectForm() {
  // Nothing of the mount may come back to a dialog that is gone.
  if (job_) job_->Cancel();
  job_.reset();
}

QString TNetConnectForm::AddressProblem(const QString& typed, QString* address) {
  const QString text = typed.trimmed();
  if (text.isEmpty()) return QStringLiteral("Type the address of the share to connect.");
  const QUrl url(text, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  const bool complete = url.isValid() && text.contains(QLatin1String("://")) && !url.host().isEmpty();
  if (!complete || !kSchemes.contains(scheme)) {
    return QStringLiteral("\u201C%1\u201D is not a share address. Write it as smb://server/share, "
                          "sftp://user@host/path, ftp://host/, dav://host/path, davs://host/path or "
                          "nfs://host/export.")
        .arg(text);
  }
  if (address != nullptr) *address = scheme + text.mid(url.scheme().size());
  return QString();
}

void TNetConnectForm::ConnectClick() {
  if (question->asking() == TNetQuestionPanel::qaPassword) {
    question->Answer();
    return;
  }
  if (state_ != csIdle || noService_) return;
  QString address;
  const QString problem = AddressProblem(addressBox->currentText(), &address);
  if (!problem.isEmpty()) {
    status.ShowFailure(problem);
    addressBox->lineEdit()->selectAll();
    addressBox->setFocus();
    return;
  }
  const TNetOutcome service = places_.ConnectProblem(QUrl(address).scheme());
  if (service.code != 0) {
    status.ShowFailure(service.message);
    return;
  }
  state_ = csWorking;
  attempt_ = address;
  status.ShowWorking(QStringLiteral("Connecting to %1 ...").arg(address));
  UpdateButtons();
  job_ = places_.Mount(address, *this, [this, address](TNetOutcome outcome) { Finished(address, outcome); });
}

void TNetConnectForm::CancelClick() {
  if (question->asking() != TNetQuestionPanel::qaNothing) {
    // The mount ends with "cancelled" and the dialog waits for that.
    question->Decline();
    return;
  }
  if (state_ == csWorking) {
    state_ = csCancelling;
    status.ShowWorking(QStringLiteral("Cancelling ..."));
    UpdateButtons();
    job_->Cancel();
    return;
  }
  if (state_ == csIdle) QDialog::reject();
}

void TNetConnectForm::reject() {
  if (closing_) {
    QDialog::reject();
    return;
  }
  CancelClick();  // Escape works as the Cancel button does
}

void TNetConnectForm::closeEvent(QCloseEvent* event) {
  // The close box gives up whatever is going on and closes.
  question->Withdraw();
  if (job_) job_->Cancel();
  job_.reset();
  state_ = csIdle;
  closing_ = true;
  QDialog::closeEvent(event);
  closing_ = false;
}

void TNetConnectForm::Finished(const QString& address, const TNetOutcome& outcome) {
  question->Withdraw();
  job_.reset();
  state_ = csIdle;
  if (outcome.code == 0) {
    connected_ = address;
    outcome_ = 0;
    status.ShowNote(QStringLiteral("Connected to %1.").arg(address));
    accept();
    return;
  }
  if (outcome.code < 0) {
    status.ShowNote(QStringLiteral("Not connected: cancelled."));
  } else {
    status.ShowFailure(QStringLiteral("Could not connect to %1: %2").arg(address, outcome.message));
    addressBox->lineEdit()->selectAll();
  }
  UpdateButtons();
  addressBox->setFocus();
}

void TNetConnectForm::AskPassword(const TNetPasswordQuestion& asked,
                                  std::function<void(std::optional<TNetPasswordAnswer>)> reply) {
  status.ShowNote(QString());
  question->AskPassword(asked, std::move(reply));
}

void TNetConnectForm::AskChoice(const TNetChoiceQuestion& asked, std::function<void(int)> reply) {
  status.ShowNote(QString());
  question->AskChoice(asked, std::move(reply));
}

void TNetConnectForm::QuestionWithdrawn() { question->Withdraw(); }

void TNetConnectForm::UpdateButtons() {
  const TNetQuestionPanel::TAsking asking = question->asking();
  if (asking == TNetQuestionPanel::qaNothing && state_ == csWorking && !status.busyBar()->isVisible())
    status.ShowWorking(QStringLiteral("Connecting to %1 ...").arg(attempt_));
  addressBox->setEnabled(state_ == csIdle && !noService_);
  connectButton->setEnabled(asking == TNetQuestionPanel::qaPassword ||
                            (state_ == csIdle && !noService_ && !addressBox->currentText().trimmed().isEmpty()));
  cancelButton->setEnabled(state_ != csCancelling || asking != TNetQuestionPanel::qaNothing);
}

}  // namespace parvex
