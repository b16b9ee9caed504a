// TNetConnectForm: the dialog that connects a share. The user types an
// address (or takes one connected before in this run of the program from the
// drop-down list) and presses Connect; GVfs mounts it, asking its questions
// in this same dialog. While it connects the dialog says so and Cancel stops
// the attempt; a failure stays in the dialog with the address and GIO's
// reason, for the user to correct the address and try again.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QDialog>
#include <memory>

#include "controls/NetDlgsSeam.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace parvex {

class TNetQuestionPanel;

// The status line and the busy bar, shared by the connect and disconnect dialogs.
class TNetStatus {
 public:
  void Create(QWidget* parent);
  QWidget* row() const { return row_; }
  QProgressBar* busyBar() const { return busy_; }
  QLabel* text() const { return text_; }
  // A plain note, a failure (with the warning sign), or work going on (with the busy bar).
  void ShowNote(const QString& note);
  void ShowFailure(const QString& failure);
  void ShowWorking(const QString& what);
  bool showsFailure() const { return failure_; }

 private:
  QWidget* row_ = nullptr;
  QLabel* icon_ = nullptr;
  QLabel* text_ = nullptr;
  QProgressBar* busy_ = nullptr;
  bool failure_ = false;
};

class TNetConnectForm : public QDialog, public TNetAsker {
  Q_OBJECT

 public:
  TNetConnectForm(TNetPlaces& places, const QStringList& remembered, QWidget* parent = nullptr);
  ~TNetConnectForm() override;
  TNetConnectForm(const TNetConnectForm&) = delete;
  TNetConnectForm& operator=(const TNetConnectForm&) = delete;

  enum TState { csIdle, csWorking, csCancelling };
  TState state() const { return state_; }
  // What Execute keeps: 0 connected, -1 closed by the user, or the code of
  // why no connection could be offered at all.
  int outcome() const { return outcome_; }
  // The address that was connected (empty until then).
  QString connectedAddress() const { return connected_; }

  // Empty when `typed` is an address the dialog can connect; then `address`
  // gets it as it will be mounted. Otherwise the sentence to show.
  static QString AddressProblem(const QString& typed, QString* address);
  static const QStringList kSchemes;

  QComboBox* addressBox = nullptr;
  TNetQuestionPanel* question = nullptr;
  TNetStatus status;
  QPushButton* connectButton = nullptr;
  QPushButton* cancelButton = nullptr;

  // TNetAsker: the questions of the mount, answered in the dialog.
  void AskPassword(const TNetPasswordQuestion& question,
                   std::function<void(std::optional<TNetPasswordAnswer>)> reply) override;
  void AskChoice(const TNetChoiceQuestion& question, std::function<void(int choice)> reply) override;
  void QuestionWithdrawn() override;

 public slots:
  // Connect: answers the open log-on question, else starts connecting.
  void ConnectClick();
  // Cancel: declines the open question, else stops the attempt, else closes.
  void CancelClick();

  // Escape: as Cancel.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Finished(const QString& address, const TNetOutcome& outcome);
  void UpdateButtons();

  TNetPlaces& places_;
  std::unique_ptr<TNetJob> job_;
  TState state_ = csIdle;
  int outcome_ = -1;
  bool noService_ = false;
  bool closing_ = false;
  QString attempt_;  // the address being connected
  QString connected_;
};

}  // namespace parvex
