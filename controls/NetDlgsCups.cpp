// Network printers through libcups: the queues of this computer that print to
// a printer on the network, and removing one (CUPS-Delete-Printer, which needs
// the right to administer the printing system).
#include <cups/cups.h>

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>
#include <cstdlib>

#include "controls/NetDlgsSystem.h"

namespace parvex::netsystem {
namespace {

const std::string_view kNetworkDeviceSchemes[] = {"ipp", "ipps", "http", "https", "lpd", "socket", "smb", "dnssd"};

QString Text(const char* text) { return text != nullptr ? QString::fromUtf8(text) : QString(); }

// The removal runs on a pool thread, since the printing system may be slow
// to answer; its end comes back to the user-interface thread.
class RemoveJob final : public TNetJob {
 public:
  RemoveJob(const QString& name, TNetDone done) : done_(std::move(done)) {
    QObject::connect(&watcher_, &QFutureWatcher<TNetOutcome>::finished, [this] {
      TNetDone done = std::move(done_);
      done_ = nullptr;
      if (done) done(watcher_.result());
    });
    watcher_.setFuture(QtConcurrent::run([queue = name.toUtf8()] {
      char uri[HTTP_MAX_URI];
      httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                       queue.constData());
      ipp_t* request = ippNewRequest(IPP_OP_CUPS_DELETE_PRINTER);
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
      ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
      ippDelete(cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/admin/"));
      const ipp_status_t status = cupsLastError();
      if (status <= IPP_STATUS_OK_EVENTS_COMPLETE) return TNetOutcome{};
      return TNetOutcome{static_cast<int>(status), Text(cupsLastErrorString())};
    }));
  }
  ~RemoveJob() override {
    done_ = nullptr;
    watcher_.disconnect();
  }
  RemoveJob(const RemoveJob&) = delete;
  RemoveJob& operator=(const RemoveJob&) = delete;
  // A request sent cannot be called back.
  void Cancel() override {}

 private:
  QFutureWatcher<TNetOutcome> watcher_;
  TNetDone done_;
};

}  // namespace

bool IsNetworkPrinter(int printerType, std::string_view deviceUri) {
  // Found on the network but never set up here: no queue of this computer.
  if ((printerType & CUPS_PRINTER_DISCOVERED) != 0) return false;
  if ((printerType & CUPS_PRINTER_REMOTE) != 0) return true;
  const auto colon = deviceUri.find(':');
  if (colon == std::string_view::npos) return false;
  const std::string_view scheme = deviceUri.substr(0, colon);
  for (const std::string_view network : kNetworkDeviceSchemes)
    if (scheme == network) return true;
  return false;
}

std::vector<TNetConnection> CupsConnections(TNetOutcome* problem) {
  cups_dest_t* dests = nullptr;
  const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  const ipp_status_t status = cupsLastError();
  if (count == 0 && status > IPP_STATUS_OK_EVENTS_COMPLETE && status != IPP_STATUS_ERROR_NOT_FOUND &&
      problem != nullptr) {
    *problem = {static_cast<int>(status),
                QStringLiteral("The printing system (CUPS) does not answer: %1").arg(Text(cupsLastErrorString()))};
  }
  std::vector<TNetConnection> found;
  for (int i = 0; i < count; ++i) {
    const cups_dest_t& dest = dests[i];
    if (dest.instance != nullptr) continue;  // a set of options, not a queue of its own
    const char* type = cupsGetOption("printer-type", dest.num_options, dest.options);
    const char* device = cupsGetOption("device-uri", dest.num_options, dest.options);
    if (!IsNetworkPrinter(type != nullptr ? std::atoi(type) : 0, device != nullptr ? device : "")) continue;
    const char* where = device != nullptr ? device : cupsGetOption("printer-uri-supported", dest.num_options,
                                                                   dest.options);
    found.push_back({TNetConnection::ncPrinter, Text(dest.name), Text(where), Text(dest.name)});
  }
  cupsFreeDests(count, dests);
  return found;
}

std::unique_ptr<TNetJob> CupsRemove(const TNetConnection& connection, TNetDone done) {
  return std::make_unique<RemoveJob>(connection.key, std::move(done));
}

}  // namespace parvex::netsystem
