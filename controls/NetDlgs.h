// TNetConnectDlg and TNetDisConnectDlg: the non-visual components behind the
// main window's "Connect Network Drives ..." and "Disconnect Network Drives".
// Execute runs the dialog modally over the owner's window and keeps its
// return code in Result: 0 when the dialog did its work, -1 when the user
// closed it without that, otherwise a positive error code. Nothing is raised
// and nothing is shown beyond the dialog itself, which tells the user what
// went wrong.
//
// The dialogs reach the system through TNetPlaces (NetDlgsSeam.h).
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QObject>
#include <QStringList>
#include <cstdint>

namespace parvex {

class TNetPlaces;

class TNetDlg : public QObject {
  Q_OBJECT

 public:
  explicit TNetDlg(QObject* owner = nullptr) : QObject(owner) {}

  // The return code of the last dialog run; 0 until a dialog has run.
  int Result() const { return result_; }

  // Where the dialogs reach the system (nullptr: TNetPlaces::Default()).
  void setPlaces(TNetPlaces* places) { places_ = places; }

 protected:
  TNetPlaces& Places() const;
  // The window the dialog belongs to: the owner's window, else the active one.
  class QWidget* OwnerWindow() const;

  int result_ = 0;

 private:
  TNetPlaces* places_ = nullptr;
};

// Connects a share (smb://, sftp://, ftp://, dav://, davs://, nfs://) through
// GVfs; always disk resources.
class TNetConnectDlg : public TNetDlg {
  Q_OBJECT

 public:
  using TNetDlg::TNetDlg;
  void Execute();

  // The addresses connected in this run of the program, latest first (the
  // dialog's drop-down list).
  static QStringList& RememberedAddresses();
};

class TNetDisConnectDlg : public TNetDlg {
  Q_OBJECT
  Q_PROPERTY(TResourceType ResourceType READ resourceType WRITE setResourceType)

 public:
  enum TResourceType : std::uint8_t { rtDisk, rtPrinter };
  Q_ENUM(TResourceType)

  using TNetDlg::TNetDlg;
  // Lists the network drives (rtDisk) or the network printers (rtPrinter)
  // and disconnects the one chosen.
  void Execute();

  TResourceType resourceType() const { return resourceType_; }
  void setResourceType(TResourceType value) { resourceType_ = value; }

 private:
  TResourceType resourceType_ = rtDisk;
};

}  // namespace parvex
