#pragma once

#include "base/Exception.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Reads a whole text file; CR LF line ends become LF.
// Raises Exception "Could not read file <path>" when the file cannot be opened or read.
std::string readFile(const std::string& path);

// Reads a whole file unchanged. Raises Exception "Could not read file <path> (<reason>)", the reason the
// system's own text, when it cannot be read, and "File <path> is larger than the limit of <n> bytes"
// before reading one that exceeds maxBytes.
std::vector<std::uint8_t> readBinaryFile(const std::string& path, std::size_t maxBytes);

// A file that could not be written: the message is "Could not write file <path> (<reason>)", the
// reason the system's own text, so callers with a fixed text of their own can reuse it.
class WriteError : public Exception {
public:
    WriteError(const std::string& path, std::string reason);
    const std::string& getReason() const { return reason_; }

private:
    std::string reason_;
};

// Writes the bytes so that nothing which is not ours is harmed, as a user expects of `>` in a shell,
// only atomically:
// - a regular file (or a symlink to one, which stays a symlink; in a folder such as /tmp that all may
//   write, only a symlink of ours or of the folder's owner is followed) is replaced by a temporary file made
//   exclusively beside it, written, flushed and renamed over it, so the old content survives any
//   failure; its permissions (and, for root, its owner) are kept; a file the user may not write is
//   refused;
// - a missing file is created the same way, with the permissions the umask allows;
// - a file of another owner (or of a group ours would not get) is rewritten in place instead, so that it
//   keeps its owner and group, as `>` would;
// - a link the kernel opens but whose text names no file (/dev/stdout to a pipe) is opened as given;
// - anything else that can be written (a device, a FIFO with a reader) is written directly, and a
//   FIFO without a reader is refused rather than waited for.
// Raises WriteError on any failure.
void writeFile(const std::string& path, std::string_view data);
void writeFile(const std::string& path, std::span<const std::uint8_t> data);
