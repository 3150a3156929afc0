#include "base/File.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>

namespace {

// Symlinks are followed by hand so that the final target, not the link, gets replaced.
constexpr int maxSymlinkHops = 40;

class Failure {
public:
    explicit Failure(int error) : error_(error) {}
    int error() const { return error_; }

private:
    int error_;
};

[[noreturn]] void fail(int error = errno) {
    throw Failure(error);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closing reports the last write-back errors of some file systems, so it is checked.
    void close() {
        const int fd = std::exchange(fd_, -1);
        if (::close(fd) != 0 && errno != EINTR) {
            fail();
        }
    }

private:
    int fd_;
};

void writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd, data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail();
        }
        if (written == 0) {
            fail(EIO);
        }
        data.remove_prefix(static_cast<std::size_t>(written));
    }
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The path a write through `path` ends at: symlinks resolved one hop at a time (relative links
// against the folder of the link), stopping at the first name that is not a symlink or not there.
// A symlink someone else planted in a shared folder (/tmp: sticky and writable by all) could send our
// write into any file we may write. As the kernel's protected-symlinks rule does for opening, such a
// link is followed only when it is ours or the folder owner's.
bool mayFollow(const std::string& link, const struct stat& linkStatus) {
    struct stat folder {};
    if (::stat(directoryOf(link).c_str(), &folder) != 0) {
        return false;
    }
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || linkStatus.st_uid == ::geteuid() || linkStatus.st_uid == folder.st_uid;
}

std::string finalTarget(std::string path) {
    for (int hop = 0; hop < maxSymlinkHops; ++hop) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        if (!mayFollow(path, status)) {
            fail(EACCES);
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length < 0) {
            fail();
        }
        link.resize(static_cast<std::size_t>(length));
        path = link.starts_with('/') ? link : directoryOf(path).append("/").append(link);
    }
    fail(ELOOP);
}

mode_t creationMode() {
    // Reading the umask means setting it; nothing else in the program changes it.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void writeDirectly(const std::string& path, std::string_view data) {
    // Non-blocking only for the open: a FIFO nobody reads is refused (ENXIO) instead of hanging.
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        fail();
    }
    const int flags = ::fcntl(file.get(), F_GETFL);
    if (flags < 0 || ::fcntl(file.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        fail();
    }
    writeAll(file.get(), data);
    file.close();
}

// A shared file that belongs to someone else (or to a group our new file would not get) cannot be
// replaced without taking it over: it is rewritten in place, as a shell's `>` does, keeping its owner,
// group and permissions at the price of atomicity.
void rewriteInPlace(const std::string& path, std::string_view data) {
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_NOFOLLOW | O_CLOEXEC));
    if (file.get() < 0) {
        fail();
    }
    if (::ftruncate(file.get(), 0) != 0) {
        fail();
    }
    writeAll(file.get(), data);
    if (::fsync(file.get()) != 0) {
        fail();
    }
    file.close();
}

void replaceAtomically(const std::string& path, const struct stat* existing, std::string_view data) {
    if (existing != nullptr && ::access(path.c_str(), W_OK) != 0) {
        fail();
    }
    if (existing != nullptr && ::geteuid() != 0 && existing->st_uid != ::geteuid()) {
        rewriteInPlace(path, data);
        return;
    }
    // A short fixed stem keeps the name within any file system's limit whatever the target's length.
    std::string temporary = directoryOf(path) + "/.velvor-XXXXXX";
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0) {
        fail();
    }
    try {
        writeAll(file.get(), data);
        const mode_t mode = existing != nullptr ? existing->st_mode & 07777 : creationMode();
        if (::fchmod(file.get(), mode) != 0) {
            fail();
        }
        if (existing != nullptr && ::geteuid() == 0) {
            // Only root can give a file away; keeping the owner is a courtesy, not a requirement.
            [[maybe_unused]] const int ignored = ::fchown(file.get(), existing->st_uid, existing->st_gid);
        } else if (existing != nullptr &&
                   ::fchown(file.get(), static_cast<uid_t>(-1), existing->st_gid) != 0) {
            // Our file but a group we are not in: the group keeps it only if written in place.
            file.close();
            ::unlink(temporary.c_str());
            rewriteInPlace(path, data);
            return;
        }
        if (::fsync(file.get()) != 0) {
            fail();
        }
        file.close();
        if (::rename(temporary.c_str(), path.c_str()) != 0) {
            fail();
        }
    } catch (const Failure&) {
        ::unlink(temporary.c_str());
        throw;
    }
}

} // namespace

WriteError::WriteError(const std::string& path, std::string reason)
    : Exception("Could not write file " + path + " (" + reason + ")"), reason_(std::move(reason)) {}

void writeFile(const std::string& path, std::string_view data) {
    try {
        if (path.empty()) {
            fail(ENOENT);
        }
        const std::string target = finalTarget(path);
        struct stat status {};
        if (::stat(target.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                fail();
            }
            // A link whose text names no file, yet that the kernel can open: /dev/stdout ending at
            // "pipe:[...]" through /proc/self/fd. Only such a pipe, socket or device is opened by the
            // path given.
            if (::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
                writeDirectly(path, data);
                return;
            }
            replaceAtomically(target, nullptr, data);
        } else if (S_ISREG(status.st_mode)) {
            replaceAtomically(target, &status, data);
        } else if (S_ISDIR(status.st_mode)) {
            fail(EISDIR);
        } else {
            writeDirectly(target, data);
        }
    } catch (const Failure& failure) {
        throw WriteError(path, std::system_category().message(failure.error()));
    }
}

void writeFile(const std::string& path, std::span<const std::uint8_t> data) {
    writeFile(path, std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}
