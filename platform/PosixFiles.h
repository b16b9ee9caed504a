// Readable and buffered writable files on POSIX descriptors, and the one way an
// OS failure becomes an IoError. Used by PosixEnv; not part of the engine's view.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"

namespace parvex::platform {

// The write buffer of every WritableFile: allocated once when the file opens.
inline constexpr std::size_t kWriteBufferSize = std::size_t{1} << 20;

// Throws IoError("<path>: <strerror(error)>").
[[noreturn]] void ThrowIoError(const std::string& path, int error);

std::unique_ptr<ReadableFile> OpenPosixReadable(const std::string& path);
// append == false: create or truncate; append == true: the file must exist and
// writing starts at its end.
std::unique_ptr<WritableFile> OpenPosixWritable(const std::string& path, bool append);

}  // namespace parvex::platform
