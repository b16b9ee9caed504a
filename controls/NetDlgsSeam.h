// The one door through which the network dialogs reach the system: GIO/GVfs
// for mounting and unmounting shares, the mount table and the system's
// unmount for the kernel's network file systems, libcups for printers. The
// default is the real one; tests install a fake, so that the dialogs' logic
// runs without a network.
//
// Every operation that may take long (a mount, an unmount, removing a printer)
// starts here and ends later, on the user-interface thread, through its
// `done` callback, which runs exactly once unless the job is destroyed first.
// Questions that come up on the way (user name, password, which choice) go to
// the TNetAsker that the dialog hands in.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace parvex {

// How the result of a network operation reads: 0 done, -1 given up by the
// user, otherwise a positive error code (GIO's, an errno value or the printing
// system's status), with the sentence that says what went wrong.
struct TNetOutcome {
  int code = 0;
  QString message;
};

// The code when the dialog cannot offer its work at all because the service
// behind it is missing (GIO's "not supported").
constexpr int kNetNoService = 15;

// Whether and how long a password is kept, as GIO offers it.
enum TPasswordSave { psNever, psForSession, psPermanently };

// A log-on question: what GIO asks for and offers.
struct TNetPasswordQuestion {
  QString message;
  QString defaultUser;
  QString defaultDomain;
  bool needUser = false;
  bool needDomain = false;
  bool needPassword = false;
  bool anonymousSupported = false;
  bool savingSupported = false;
};

struct TNetPasswordAnswer {
  bool anonymous = false;
  QString user;
  QString domain;
  QString password;
  TPasswordSave save = psNever;
};

// A question with a fixed set of answers ("Log In Anyway", "Cancel Login";
// "Unmount Anyway", "Cancel").
struct TNetChoiceQuestion {
  QString message;
  QStringList choices;
};

// Answers the questions of a running job, in the dialog. Each reply must be
// called once: with an answer, or nullopt / -1 when the user declines.
class TNetAsker {
 public:
  virtual ~TNetAsker() = default;
  virtual void AskPassword(const TNetPasswordQuestion& question,
                           std::function<void(std::optional<TNetPasswordAnswer>)> reply) = 0;
  virtual void AskChoice(const TNetChoiceQuestion& question, std::function<void(int choice)> reply) = 0;
  // The job no longer waits for the question asked last (it was given up).
  virtual void QuestionWithdrawn() = 0;
};

// A running mount, unmount or removal. Destroying it gives it up: its `done`
// never runs afterwards.
class TNetJob {
 public:
  virtual ~TNetJob() = default;
  // Asks the job to stop; `done` follows with the outcome (-1 when it did stop).
  virtual void Cancel() = 0;
};

// One connection that can be disconnected.
struct TNetConnection {
  enum TKind {
    ncGvfs,    // a GVfs mount of a remote address
    ncKernel,  // a network file system of the kernel (nfs, cifs)
    ncFuse,    // a network file system in user space (sshfs)
    ncPrinter  // a printing system's queue of a network printer
  };
  TKind kind = ncGvfs;
  QString remoteName;  // smb://server/share, //server/share, the printer's name
  QString mountedAt;   // the local directory, or the printer's address
  QString key;         // how the seam finds it again (its root address, mount point or queue name)
};

using TNetDone = std::function<void(TNetOutcome)>;

class TNetPlaces {
 public:
  virtual ~TNetPlaces() = default;

  // The places every dialog uses unless told otherwise: the system's. Never null.
  static TNetPlaces* Default();
  // Replaces what Default() gives (nullptr puts the system's back); returns the one replaced.
  static TNetPlaces* SetDefault(TNetPlaces* places);

  // Whether addresses of `scheme` can be connected here: code 0, or a code
  // and a plain sentence why not (GVfs not running, no backend for it). An
  // empty scheme asks about GVfs as such.
  virtual TNetOutcome ConnectProblem(const QString& scheme) = 0;
  // Mounts the share at `address` (already checked) the way file managers do.
  virtual std::unique_ptr<TNetJob> Mount(const QString& address, TNetAsker& asker, TNetDone done) = 0;

  // The disk connections: GVfs mounts of remote addresses, then the kernel's
  // network file systems. `problem` gets a code and a sentence when a source
  // could not be read (what could be read is still given).
  virtual std::vector<TNetConnection> DiskConnections(TNetOutcome* problem) = 0;
  // The printing system's queues of network printers.
  virtual std::vector<TNetConnection> PrinterConnections(TNetOutcome* problem) = 0;
  // Unmounts a disk connection or removes a printer queue.
  virtual std::unique_ptr<TNetJob> Disconnect(const TNetConnection& connection, TNetAsker& asker,
                                              TNetDone done) = 0;
};

// The system's places (GIO, the mount table, libcups), created on first use.
TNetPlaces& SystemNetPlaces();

}  // namespace parvex
