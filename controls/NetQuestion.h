// TNetQuestionPanel: the part of a network dialog where a running job's
// question is answered: user, domain and password (or anonymous log-on, and
// how long to keep the password, where the share offers it), or one of a
// fixed set of choices. Hidden while nothing is asked.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "controls/NetDlgsSeam.h"

class QButtonGroup;
class QFormLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace parvex {

class TNetQuestionPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TNetQuestionPanel(QWidget* parent = nullptr);

  enum TAsking { qaNothing, qaPassword, qaChoice };
  TAsking asking() const { return asking_; }

  // Shows the question; a question still open is declined first.
  void AskPassword(const TNetPasswordQuestion& question,
                   std::function<void(std::optional<TNetPasswordAnswer>)> reply);
  void AskChoice(const TNetChoiceQuestion& question, std::function<void(int)> reply);

  // Replies to the log-on question with what the fields hold.
  void Answer();
  // Replies "no" to the open question (nothing happens when none is open).
  void Decline();
  // Forgets the open question without replying (the job gave it up).
  void Withdraw();

  // The fields, for the dialog's keyboard focus and for tests.
  QLineEdit* userEdit() const { return user_; }
  QLineEdit* domainEdit() const { return domain_; }
  QLineEdit* passwordEdit() const { return password_; }
  QRadioButton* anonymousButton() const { return anonymous_; }
  QRadioButton* saveButton(TPasswordSave save) const;
  QList<QPushButton*> choiceButtons() const;

 signals:
  // A question was shown, answered, declined or withdrawn.
  void changed();

 private:
  void Clear();
  void UpdateEnabled();

  TAsking asking_ = qaNothing;
  TNetPasswordQuestion passwordQuestion_;
  std::function<void(std::optional<TNetPasswordAnswer>)> passwordReply_;
  std::function<void(int)> choiceReply_;

  QLabel* message_ = nullptr;
  QWidget* logOn_ = nullptr;
  QRadioButton* anonymous_ = nullptr;
  QRadioButton* asUser_ = nullptr;
  QFormLayout* fields_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* domain_ = nullptr;
  QLineEdit* password_ = nullptr;
  QWidget* saving_ = nullptr;
  QRadioButton* saveNever_ = nullptr;
  QRadioButton* saveSession_ = nullptr;
  QRadioButton* savePermanently_ = nullptr;
  QWidget* choices_ = nullptr;
  QHBoxLayout* choiceRow_ = nullptr;
};

}  // namespace parvex
