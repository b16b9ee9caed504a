// GVfs through GIO: whether it runs, mounting a share while the dialog answers
// GIO's questions, the mounts of remote addresses, and unmounting them.
//
// Qt's event loop on Linux is GLib's, so GIO's callbacks arrive on the
// user-interface thread by themselves; where Qt runs another loop, a timer
// lets GLib's default context run while a job is going.
#include <gio/gio.h>  // before Qt: GIO names a member "signals"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>
#include <cerrno>

#include "controls/NetDlgsSystem.h"

namespace parvex::netsystem {
namespace {

static_assert(G_IO_ERROR_NOT_SUPPORTED == kNetNoService, "the dialogs' code for a missing service is GIO's");

// The schemes of remote addresses among GVfs's mounts.
const char* const kRemoteSchemes[] = {"smb", "sftp", "ssh", "ftp", "ftps", "ftpis", "dav", "davs",
                                      "nfs", "afp", "http", "https"};

bool IsRemoteScheme(const char* scheme) {
  if (scheme == nullptr) return false;
  for (const char* remote : kRemoteSchemes)
    if (g_strcmp0(scheme, remote) == 0) return true;
  return false;
}

QString Text(const char* text) { return text != nullptr ? QString::fromUtf8(text) : QString(); }

// Lets GLib's default context run while jobs are going, when Qt's own loop
// is not GLib's (QT_NO_GLIB).
class GlibPump {
 public:
  static void Hold() {
    static const bool qtRunsGlib = QAbstractEventDispatcher::instance() != nullptr &&
                                   QAbstractEventDispatcher::instance()->inherits("QEventDispatcherGlib");
    if (qtRunsGlib) return;
    if (holders_++ > 0) return;
    if (timer_ == nullptr) {
      timer_ = new QTimer(QCoreApplication::instance());
      timer_->setInterval(10);
      QObject::connect(timer_, &QTimer::timeout, [] {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
      });
    }
    timer_->start();
  }
  static void Release() {
    if (holders_ == 0) return;
    if (--holders_ == 0 && timer_ != nullptr) timer_->stop();
  }

 private:
  static inline int holders_ = 0;
  static inline QTimer* timer_ = nullptr;
};

// What a job shares with GIO's callbacks and the questions' replies. It
// outlives the job: GIO may call back after the job has been given up.
struct Operation : std::enable_shared_from_this<Operation> {
  TNetAsker* asker = nullptr;  // null once the job is given up
  TNetDone done;
  GMountOperation* op = g_mount_operation_new();
  GCancellable* cancellable = g_cancellable_new();
  bool finished = false;
  bool questionOpen = false;

  Operation() { GlibPump::Hold(); }
  ~Operation() {
    g_object_unref(op);
    g_object_unref(cancellable);
    GlibPump::Release();
  }
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

  void Reply(GMountOperationResult result) {
    questionOpen = false;
    g_mount_operation_reply(op, result);
  }
  // Ends the job: its `done` runs (unless it was given up) with the outcome.
  void Finish(GError* error) {
    finished = true;
    g_signal_handlers_disconnect_by_data(op, this);
    if (questionOpen && asker != nullptr) asker->QuestionWithdrawn();
    questionOpen = false;
    TNetOutcome outcome;
    if (error != nullptr) {
      outcome.code = GioResultCode(error->domain == G_IO_ERROR, error->code);
      outcome.message = Text(error->message);
      g_error_free(error);
    }
    TNetDone notify = std::move(done);
    done = nullptr;
    if (notify) notify(outcome);  // may destroy the job; this stays alive through the caller's reference
  }
};

using OperationPtr = std::shared_ptr<Operation>;

void OnAskPassword(GMountOperation* op, gchar* message, gchar* defaultUser, gchar* defaultDomain,
                   GAskPasswordFlags flags, gpointer data) {
  // Ours answers later: GIO's own handler, which says "unhandled", must not run.
  g_signal_stop_emission_by_name(op, "ask-password");
  auto* operation = static_cast<Operation*>(data);
  if (operation->asker == nullptr) {
    g_mount_operation_reply(op, G_MOUNT_OPERATION_ABORTED);
    return;
  }
  TNetPasswordQuestion question;
  question.message = Text(message);
  question.defaultUser = Text(defaultUser);
  question.defaultDomain = Text(defaultDomain);
  question.needUser = (flags & G_ASK_PASSWORD_NEED_USERNAME) != 0;
  question.needDomain = (flags & G_ASK_PASSWORD_NEED_DOMAIN) != 0;
  question.needPassword = (flags & G_ASK_PASSWORD_NEED_PASSWORD) != 0;
  question.anonymousSupported = (flags & G_ASK_PASSWORD_ANONYMOUS_SUPPORTED) != 0;
  question.savingSupported = (flags & G_ASK_PASSWORD_SAVING_SUPPORTED) != 0;
  operation->questionOpen = true;
  operation->asker->AskPassword(question, [keep = operation->shared_from_this()](
                                              std::optional<TNetPasswordAnswer> answer) {
    if (!keep->questionOpen || keep->finished) return;
    if (!answer) {
      keep->Reply(G_MOUNT_OPERATION_ABORTED);
      return;
    }
    g_mount_operation_set_anonymous(keep->op, answer->anonymous);
    g_mount_operation_set_username(keep->op, answer->user.toUtf8().constData());
    g_mount_operation_set_domain(keep->op, answer->domain.toUtf8().constData());
    g_mount_operation_set_password(keep->op, answer->password.toUtf8().constData());
    g_mount_operation_set_password_save(keep->op, answer->save == psPermanently ? G_PASSWORD_SAVE_PERMANENTLY
                                                  : answer->save == psForSession ? G_PASSWORD_SAVE_FOR_SESSION
                                                                                 : G_PASSWORD_SAVE_NEVER);
    keep->Reply(G_MOUNT_OPERATION_HANDLED);
  });
}

void AskChoice(Operation* operation, const char* signal, const gchar* message, gchar** choices) {
  g_signal_stop_emission_by_name(operation->op, signal);
  // A list of busy processes comes again as it changes; the open question stands for it.
  if (operation->questionOpen) return;
  if (operation->asker == nullptr) {
    g_mount_operation_reply(operation->op, G_MOUNT_OPERATION_ABORTED);
    return;
  }
  TNetChoiceQuestion question;
  question.message = Text(message);
  for (gchar** choice = choices; choice != nullptr && *choice != nullptr; ++choice) question.choices << Text(*choice);
  operation->questionOpen = true;
  operation->asker->AskChoice(question, [keep = operation->shared_from_this()](int choice) {
    if (!keep->questionOpen || keep->finished) return;
    if (choice < 0) {
      keep->Reply(G_MOUNT_OPERATION_ABORTED);
      return;
    }
    g_mount_operation_set_choice(keep->op, choice);
    keep->Reply(G_MOUNT_OPERATION_HANDLED);
  });
}

void OnAskQuestion(GMountOperation*, gchar* message, gchar** choices, gpointer data) {
  AskChoice(static_cast<Operation*>(data), "ask-question", message, choices);
}

void OnShowProcesses(GMountOperation*, gchar* message, GArray*, gchar** choices, gpointer data) {
  AskChoice(static_cast<Operation*>(data), "show-processes", message, choices);
}

void OnAborted(GMountOperation*, gpointer data) {
  auto* operation = static_cast<Operation*>(data);
  if (!operation->questionOpen) return;
  operation->questionOpen = false;
  if (operation->asker != nullptr) operation->asker->QuestionWithdrawn();
}

OperationPtr NewOperation(TNetAsker& asker, TNetDone done) {
  auto operation = std::make_shared<Operation>();
  operation->asker = &asker;
  operation->done = std::move(done);
  g_signal_connect(operation->op, "ask-password", G_CALLBACK(OnAskPassword), operation.get());
  g_signal_connect(operation->op, "ask-question", G_CALLBACK(OnAskQuestion), operation.get());
  g_signal_connect(operation->op, "show-processes", G_CALLBACK(OnShowProcesses), operation.get());
  g_signal_connect(operation->op, "aborted", G_CALLBACK(OnAborted), operation.get());
  return operation;
}

class GioJob final : public TNetJob {
 public:
  explicit GioJob(OperationPtr operation) : operation_(std::move(operation)) {}
  ~GioJob() override {
    // Given up: nothing may reach the dialog any more, and GIO is told to stop.
    operation_->asker = nullptr;
    operation_->done = nullptr;
    Cancel();
  }
  GioJob(const GioJob&) = delete;
  GioJob& operator=(const GioJob&) = delete;

  void Cancel() override {
    if (operation_->finished) return;
    if (operation_->questionOpen) operation_->Reply(G_MOUNT_OPERATION_ABORTED);
    g_cancellable_cancel(operation_->cancellable);
  }

 private:
  OperationPtr operation_;
};

// GIO's callbacks hold the operation through one of these, freed when they run.
gpointer Hold(const OperationPtr& operation) { return new OperationPtr(operation); }
OperationPtr Take(gpointer data) {
  std::unique_ptr<OperationPtr> holder(static_cast<OperationPtr*>(data));
  return *holder;
}

void MountDone(GObject* source, GAsyncResult* result, gpointer data) {
  const OperationPtr operation = Take(data);
  GError* error = nullptr;
  g_file_mount_enclosing_volume_finish(G_FILE(source), result, &error);
  operation->Finish(error);
}

void UnmountDone(GObject* source, GAsyncResult* result, gpointer data) {
  const OperationPtr operation = Take(data);
  GError* error = nullptr;
  g_mount_unmount_with_operation_finish(G_MOUNT(source), result, &error);
  operation->Finish(error);
}

// The volume monitor follows mounts coming and going from the moment it is
// first asked; it is kept for the rest of the program.
GVolumeMonitor* Monitor() {
  static GVolumeMonitor* monitor = g_volume_monitor_get();
  return monitor;
}

// The mount of a remote address whose root is `uri`, with a reference; or null.
GMount* FindMount(const QString& uri) {
  GList* mounts = g_volume_monitor_get_mounts(Monitor());
  GMount* found = nullptr;
  for (GList* item = mounts; item != nullptr && found == nullptr; item = item->next) {
    GFile* root = g_mount_get_root(G_MOUNT(item->data));
    gchar* rootUri = g_file_get_uri(root);
    if (Text(rootUri) == uri) found = G_MOUNT(g_object_ref(item->data));
    g_free(rootUri);
    g_object_unref(root);
  }
  g_list_free_full(mounts, g_object_unref);
  return found;
}

}  // namespace

int GioResultCode(bool gioDomain, int code) {
  if (gioDomain) {
    if (code == G_IO_ERROR_CANCELLED || code == G_IO_ERROR_FAILED_HANDLED) return -1;
    if (code == G_IO_ERROR_ALREADY_MOUNTED) return 0;
    if (code > 0) return code;
  }
  return EIO;
}

TNetOutcome GvfsProblem(const QString& scheme) {
  GVfs* vfs = g_vfs_get_default();
  bool remote = false;
  bool wanted = scheme.isEmpty();
  const QByteArray asked = scheme.toLower().toUtf8();
  if (vfs != nullptr && g_vfs_is_active(vfs)) {
    for (const gchar* const* known = g_vfs_get_supported_uri_schemes(vfs); known != nullptr && *known != nullptr;
         ++known) {
      remote = remote || IsRemoteScheme(*known);
      wanted = wanted || asked == *known;
    }
  }
  if (!remote) {
    return {kNetNoService,
            QStringLiteral("Network shares are connected through GVfs, which is not running in this session. "
                           "Log in to a desktop session with GVfs (Debian's packages gvfs and gvfs-backends), "
                           "then try again.")};
  }
  if (!wanted) {
    return {kNetNoService, QStringLiteral("GVfs on this computer cannot connect %1:// addresses: its backend for "
                                          "them is not installed (Debian's package gvfs-backends).")
                               .arg(scheme)};
  }
  return {};
}

std::unique_ptr<TNetJob> GvfsMount(const QString& address, TNetAsker& asker, TNetDone done) {
  OperationPtr operation = NewOperation(asker, std::move(done));
  GFile* share = g_file_new_for_uri(address.toUtf8().constData());
  g_file_mount_enclosing_volume(share, G_MOUNT_MOUNT_NONE, operation->op, operation->cancellable, MountDone,
                                Hold(operation));
  g_object_unref(share);
  return std::make_unique<GioJob>(operation);
}

std::vector<TNetConnection> GvfsConnections() {
  std::vector<TNetConnection> found;
  GList* mounts = g_volume_monitor_get_mounts(Monitor());
  for (GList* item = mounts; item != nullptr; item = item->next) {
    GFile* root = g_mount_get_root(G_MOUNT(item->data));
    gchar* scheme = g_file_get_uri_scheme(root);
    if (!g_file_is_native(root) && IsRemoteScheme(scheme)) {
      gchar* uri = g_file_get_uri(root);
      gchar* path = g_file_get_path(root);  // where GVfs's FUSE mount shows it, if it runs
      found.push_back({TNetConnection::ncGvfs, Text(uri), Text(path), Text(uri)});
      g_free(path);
      g_free(uri);
    }
    g_free(scheme);
    g_object_unref(root);
  }
  g_list_free_full(mounts, g_object_unref);
  return found;
}

std::unique_ptr<TNetJob> GvfsUnmount(const TNetConnection& connection, TNetAsker& asker, TNetDone done) {
  GMount* mount = FindMount(connection.key);
  // Gone already: what the user asked for is so.
  if (mount == nullptr) return FinishLater(TNetOutcome{}, std::move(done));
  OperationPtr operation = NewOperation(asker, std::move(done));
  g_mount_unmount_with_operation(mount, G_MOUNT_UNMOUNT_NONE, operation->op, operation->cancellable, UnmountDone,
                                 Hold(operation));
  g_object_unref(mount);
  return std::make_unique<GioJob>(operation);
}

}  // namespace parvex::netsystem
