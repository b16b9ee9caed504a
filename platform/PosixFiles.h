// Readable and buffered writable files on POSIX descriptors, and the one way an
// OS failure becomes an IoError. Used by PosixEnv; not part of the engine's view.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"

namespace parvex::platform {

// The write buffer of every WritableFile: allocated once when the file opens.
inline constexpr std::size_t kWriteBufferSize = std::size_t{1} << 20;

// Throws IoError("<path>: <strerror(error)>", error).
[[noreturn]] void ThrowIoError(const std::string& path, int error);
std::string ErrorText(int error);

// The record of a file's state kept in an extended attribute (the archive
// attribute, the incomplete mark): 1 byte version (1), 8 bytes modification
// time (seconds), 4 bytes its nanoseconds, 8 bytes size; little-endian. The
// file still is what was recorded when its record matches.
inline constexpr std::size_t kFileRecordSize = 1 + 8 + 4 + 8;
void EncodeFileRecord(const struct stat& st, std::uint8_t* out);
// Whether the attribute `name` of the open file holds the record of `st`.
bool FileRecordMatches(int fd, const char* name, const struct stat& st);

inline constexpr const char* kIncompleteAttribute = "user.parvex.incomplete";

FileId IdOf(const struct stat& st);

std::unique_ptr<ReadableFile> OpenPosixReadable(const std::string& path);
// append == false: create or truncate; append == true: the file must exist and
// writing starts at its end.
std::unique_ptr<WritableFile> OpenPosixWritable(const std::string& path, bool append);
// Takes over an open descriptor, writing from `start`; `locked`: the
// descriptor holds a flock that HoldLock can keep.
std::unique_ptr<WritableFile> AdoptPosixWritable(int fd, const std::string& path, std::int64_t start, bool locked);

}  // namespace parvex::platform
