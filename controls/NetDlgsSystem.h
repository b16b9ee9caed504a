// The pieces of the system's network places (NetDlgsSeam.h): GVfs through
// GIO, the kernel's network file systems through the mount table and the
// system's unmount, printers through libcups. The pure parts (reading the
// mount table, reading an unmount's complaint, GIO's error codes) are here
// for the tests.
//
// Thread-safety: user-interface thread only.
#pragma once

#include <QString>
#include <memory>
#include <string_view>
#include <vector>

#include "controls/NetDlgsSeam.h"

namespace parvex::netsystem {

// A job that has ended already: `done` runs from the event loop, as the end
// of any job does.
std::unique_ptr<TNetJob> FinishLater(TNetOutcome outcome, TNetDone done);

// --- GVfs (NetDlgsGio.cpp)
TNetOutcome GvfsProblem(const QString& scheme);
std::unique_ptr<TNetJob> GvfsMount(const QString& address, TNetAsker& asker, TNetDone done);
std::vector<TNetConnection> GvfsConnections();
std::unique_ptr<TNetJob> GvfsUnmount(const TNetConnection& connection, TNetAsker& asker, TNetDone done);

// The dialog's result for a GIO error: -1 for one the user caused by
// cancelling, 0 for "already mounted" (the share is there), the code itself
// for the rest of GIO's own codes, and EIO for GIO's code 0 ("failed") and
// errors of other domains, so that no failure reads as success.
int GioResultCode(bool gioDomain, int code);

// --- The kernel's and user-space network file systems (NetDlgsSystem.cpp)
// The network mounts of a mountinfo text (the topmost of mounts stacked on
// one directory), in the text's order.
std::vector<TNetConnection> KernelConnections(std::string_view mountInfo);
// Runs the system's unmount (umount; fusermount3 -u for FUSE) for it.
std::unique_ptr<TNetJob> SystemUnmount(const TNetConnection& connection, TNetDone done);
// What a failed unmount said, as the dialog's outcome: EBUSY for a busy
// file system, EPERM where the user may not, else EIO; the message is the
// program's own, without its name in front.
TNetOutcome UnmountFailure(const QString& complaint);

// --- Printers (NetDlgsCups.cpp)
std::vector<TNetConnection> CupsConnections(TNetOutcome* problem);
std::unique_ptr<TNetJob> CupsRemove(const TNetConnection& connection, TNetDone done);
// Whether a printer with this type (CUPS's printer-type bits) and device
// address is a network printer queue of this computer.
bool IsNetworkPrinter(int printerType, std::string_view deviceUri);

}  // namespace parvex::netsystem
