// The question part of the network dialogs (see NetQuestion.h).
#include "controls/NetQuestion.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace parvex {

TNetQuestionPanel::TNetQuestionPanel(QWidget* parent) : QWidget(parent) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);

  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("questionMessage"));
  message_->setWordWrap(true);
  message_->setTextFormat(Qt::PlainText);
  column->addWidget(message_);

  logOn_ = new QWidget(this);
  auto* logOnColumn = new QVBoxLayout(logOn_);
  logOnColumn->setContentsMargins(0, 0, 0, 0);
  anonymous_ = new QRadioButton(QStringLiteral("Connect &anonymously"), logOn_);
  asUser_ = new QRadioButton(QStringLiteral("Connect as &user:"), logOn_);
  auto* who = new QButtonGroup(logOn_);
  who->addButton(anonymous_);
  who->addButton(asUser_);
  logOnColumn->addWidget(anonymous_);
  logOnColumn->addWidget(asUser_);
  auto* fieldsBox = new QWidget(logOn_);
  fields_ = new QFormLayout(fieldsBox);
  fields_->setContentsMargins(0, 0, 0, 0);
  user_ = new QLineEdit(fieldsBox);
  user_->setObjectName(QStringLiteral("userEdit"));
  domain_ = new QLineEdit(fieldsBox);
  domain_->setObjectName(QStringLiteral("domainEdit"));
  password_ = new QLineEdit(fieldsBox);
  password_->setObjectName(QStringLiteral("passwordEdit"));
  password_->setEchoMode(QLineEdit::Password);
  fields_->addRow(QStringLiteral("User &name:"), user_);
  fields_->addRow(QStringLiteral("&Domain:"), domain_);
  fields_->addRow(QStringLiteral("&Password:"), password_);
  logOnColumn->addWidget(fieldsBox);

  saving_ = new QWidget(logOn_);
  auto* savingColumn = new QVBoxLayout(saving_);
  savingColumn->setContentsMargins(0, 0, 0, 0);
  saveNever_ = new QRadioButton(QStringLiteral("&Forget password immediately"), saving_);
  saveSession_ = new QRadioButton(QStringLiteral("&Remember password until you log out"), saving_);
  savePermanently_ = new QRadioButton(QStringLiteral("Remember &forever"), saving_);
  auto* keep = new QButtonGroup(saving_);
  for (QRadioButton* button : {saveNever_, saveSession_, savePermanently_}) {
    keep->addButton(button);
    savingColumn->addWidget(button);
  }
  logOnColumn->addWidget(saving_);
  column->addWidget(logOn_);

  choices_ = new QWidget(this);
  choiceRow_ = new QHBoxLayout(choices_);
  choiceRow_->setContentsMargins(0, 0, 0, 0);
  column->addWidget(choices_);

  connect(anonymous_, &QRadioButton::toggled, this, &TNetQuestionPanel::UpdateEnabled);
  Clear();
}

QRadioButton* TNetQuestionPanel::saveButton(TPasswordSave save) const {
  switch (save) {
    case psNever: return saveNever_;
    case psForSession: return saveSession_;
    case psPermanently: return savePermanently_;
  }
  return saveNever_;
}

QList<QPushButton*> TNetQuestionPanel::choiceButtons() const { return choices_->findChildren<QPushButton*>(); }

void TNetQuestionPanel::AskPassword(const TNetPasswordQuestion& question,
                                    std::function<void(std::optional<TNetPasswordAnswer>)> reply) {
  Decline();
  asking_ = qaPassword;
  passwordQuestion_ = question;
  passwordReply_ = std::move(reply);
  message_->setText(question.message);
  // Only what the share asks for is offered.
  fields_->setRowVisible(user_, question.needUser);
  fields_->setRowVisible(domain_, question.needDomain);
  fields_->setRowVisible(password_, question.needPassword);
  user_->setText(question.defaultUser);
  domain_->setText(question.defaultDomain);
  password_->clear();
  anonymous_->setVisible(question.anonymousSupported);
  asUser_->setVisible(question.anonymousSupported);
  asUser_->setChecked(true);
  saving_->setVisible(question.savingSupported);
  saveNever_->setChecked(true);
  logOn_->show();
  show();
  UpdateEnabled();
  // The first empty field is where the user goes on typing.
  for (QLineEdit* field : {user_, domain_, password_})
    if (!field->isHidden() && field->text().isEmpty()) {
      field->setFocus();
      break;
    }
  emit changed();
}

void TNetQuestionPanel::AskChoice(const TNetChoiceQuestion& question, std::function<void(int)> reply) {
  Decline();
  asking_ = qaChoice;
  choiceReply_ = std::move(reply);
  message_->setText(question.message);
  for (int n = 0; n < question.choices.size(); ++n) {
    auto* button = new QPushButton(question.choices[n], choices_);
    button->setAutoDefault(false);
    choiceRow_->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, n] {
      auto reply = std::move(choiceReply_);
      Clear();
      if (reply) reply(n);
      emit changed();
    });
  }
  choices_->show();
  show();
  emit changed();
}

void TNetQuestionPanel::Answer() {
  if (asking_ != qaPassword) return;
  TNetPasswordAnswer answer;
  answer.anonymous = passwordQuestion_.anonymousSupported && anonymous_->isChecked();
  answer.user = user_->text();
  answer.domain = domain_->text();
  answer.password = password_->text();
  answer.save = savePermanently_->isChecked() ? psPermanently : saveSession_->isChecked() ? psForSession : psNever;
  auto reply = std::move(passwordReply_);
  Clear();
  if (reply) reply(answer);
  emit changed();
}

void TNetQuestionPanel::Decline() {
  if (asking_ == qaNothing) return;
  auto passwordReply = std::move(passwordReply_);
  auto choiceReply = std::move(choiceReply_);
  Clear();
  if (passwordReply) passwordReply(std::nullopt);
  if (choiceReply) choiceReply(-1);
  emit changed();
}

void TNetQuestionPanel::Withdraw() {
  if (asking_ == qaNothing) return;
  Clear();
  emit changed();
}

void TNetQuestionPanel::Clear() {
  asking_ = qaNothing;
  passwordReply_ = nullptr;
  choiceReply_ = nullptr;
  // The typed password does not stay in the window once it is answered.
  password_->clear();
  // Out of the panel at once; deleted later, since one of them may be the
  // button whose click runs this.
  for (QPushButton* button : choiceButtons()) {
    button->hide();
    button->setParent(nullptr);
    button->deleteLater();
  }
  logOn_->hide();
  choices_->hide();
  hide();
}

void TNetQuestionPanel::UpdateEnabled() {
  const bool named = !anonymous_->isChecked() || !passwordQuestion_.anonymousSupported;
  for (QLineEdit* field : {user_, domain_, password_}) field->setEnabled(named);
  saving_->setEnabled(named);
}

}  // namespace parvex
