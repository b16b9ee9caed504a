// The screen facts the system information collector asks for, from Qt's
// primary screen: its size in device pixels and its colour depth.
//
// Thread-safety: the query runs where the collector refreshes, which must be
// the user-interface thread.
#pragma once

#include "sysinfo/Sources.h"

namespace parvex {

// All zero while there is no screen.
sysinfo::ScreenQuery PrimaryScreenQuery();

}  // namespace parvex
