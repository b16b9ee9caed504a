// How PosixEnv resolves a restored file's name beneath its destination: with
// openat2 and RESOLVE_BENEATH where the kernel has it, else by a walk, one
// component at a time, that follows no symbolic link. Tests switch between the
// two; nothing else needs this header.
#pragma once

namespace parvex::platform::detail {

// Whether openat2 is tried (true unless a test said otherwise); a kernel
// without it falls back to the walk by itself.
void AllowOpenat2(bool allowed);
// Whether the resolution uses openat2 at this moment.
bool UsesOpenat2();

}  // namespace parvex::platform::detail
