// TNetDisconnectForm: the dialog that lists the network connections (the
// drives, or the network printers) with their remote names and where they
// are, and disconnects the one chosen. A failure (busy, not permitted) stays
// in the dialog with its reason; the list is read again after every attempt.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QDialog>
#include <memory>
#include <vector>

#include "controls/NetConnectForm.h"
#include "controls/NetDlgsSeam.h"

class QTreeWidget;

namespace parvex {

class TNetDisconnectForm : public QDialog, public TNetAsker {
  Q_OBJECT

 public:
  TNetDisconnectForm(TNetPlaces& places, bool printers, QWidget* parent = nullptr);
  ~TNetDisconnectForm() override;
  TNetDisconnectForm(const TNetDisconnectForm&) = delete;
  TNetDisconnectForm& operator=(const TNetDisconnectForm&) = delete;

  bool working() const { return job_ != nullptr; }
  // 0 disconnected, -1 closed by the user, or the code of why nothing could
  // be listed at all.
  int outcome() const { return outcome_; }
  const std::vector<TNetConnection>& connections() const { return connections_; }

  QTreeWidget* list = nullptr;
  TNetQuestionPanel* question = nullptr;
  TNetStatus status;
  QPushButton* disconnectButton = nullptr;
  QPushButton* cancelButton = nullptr;

  void AskPassword(const TNetPasswordQuestion& question,
                   std::function<void(std::optional<TNetPasswordAnswer>)> reply) override;
  void AskChoice(const TNetChoiceQuestion& question, std::function<void(int choice)> reply) override;
  void QuestionWithdrawn() override;

 public slots:
  void DisconnectClick();
  void CancelClick();

  // Escape: as Cancel.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Reads the connections again, keeping the chosen one chosen where it is still there.
  void Refill(const QString& keepKey);
  void Finished(const TNetConnection& connection, const TNetOutcome& outcome);
  void UpdateButtons();

  TNetPlaces& places_;
  const bool printers_;
  std::vector<TNetConnection> connections_;
  std::unique_ptr<TNetJob> job_;
  int outcome_ = -1;
  int lastProblem_ = 0;  // the code of the last listing's problem, 0 when none
  bool closing_ = false;
};

}  // namespace parvex
