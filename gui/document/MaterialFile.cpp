#include "gui/document/MaterialFile.h"

#include "base/Exception.h"
#include "base/File.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string stateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state == '/') {
        return std::string(state) + "/velvor/recovery";
    }
    return QDir::homePath().toStdString() + "/.local/state/velvor/recovery";
}

// The absolute path as one file name: '%' and '/' escaped, so that two paths never share a name.
std::string flattened(const std::string& path) {
    std::string name;
    for (const char c : QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString()) {
        if (c == '%') {
            name += "%25";
        } else if (c == '/') {
            name += "%2F";
        } else {
            name += c;
        }
    }
    return name;
}

std::string systemReason(int error) {
    return std::system_category().message(error);
}

} // namespace

MaterialFile::MaterialFile(std::string path)
    : path_(std::move(path)), untitledName_("untitled-" + std::to_string(getpid())) {}

MaterialFile::~MaterialFile() = default;

std::string MaterialFile::displayName() const {
    return hasPath() ? std::filesystem::path(path_).filename().string() : "Untitled";
}

std::optional<std::int64_t> MaterialFile::moveTo(std::string path) {
    removeRecovery();
    lock_.reset();
    path_ = std::move(path);
    return lock();
}

std::string MaterialFile::read(const std::string& path) {
    // Non-blocking, so that a FIFO without a writer is refused instead of waited for.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        throw Exception("Could not read file " + path + " (" + systemReason(errno) + ")");
    }
    struct stat status {};
    const bool regular = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
    ::close(descriptor);
    if (!regular) {
        throw Exception("Could not read file " + path + " (not a regular file)");
    }
    const std::vector<std::uint8_t> bytes = readBinaryFile(path, maxBytes);
    return {bytes.begin(), bytes.end()};
}

std::string MaterialFile::packedPathBeside(const std::string& materialPath) {
    std::filesystem::path path(materialPath);
    if (path.extension() == ".ostra-material") {
        return path.replace_extension(".ostra-packed").string();
    }
    return materialPath + ".ostra-packed";
}

void MaterialFile::write(const std::string& xml,
                         const std::optional<std::vector<std::uint8_t>>& packed) const {
    writeFile(path_, xml);
    if (!packed) {
        return;
    }
    const std::string packedPath = packedPathBeside(path_);
    const bool isNew = !std::filesystem::exists(packedPath);
    writeFile(packedPath, std::span<const std::uint8_t>(*packed));
    if (isNew) {
        // A private material keeps its packed form private too.
        std::error_code ignored;
        const auto permissions = std::filesystem::status(path_, ignored).permissions();
        std::filesystem::permissions(packedPath, permissions, ignored);
    }
}

std::optional<std::int64_t> MaterialFile::lock() {
    if (!hasPath() || lock_) {
        return std::nullopt;
    }
    QDir().mkpath(QString::fromStdString(stateFolder()));
    auto lock = std::make_unique<QLockFile>(QString::fromStdString(recoveryPath() + ".lock"));
    lock->setStaleLockTime(0); // never stale by age: only when its process is gone
    if (lock->tryLock(0)) {
        lock_ = std::move(lock);
        return std::nullopt;
    }
    qint64 pid = 0;
    QString host;
    QString application;
    lock->getLockInfo(&pid, &host, &application);
    return pid;
}

std::string MaterialFile::recoveryPath() const {
    return stateFolder() + "/" + (hasPath() ? flattened(path_) : untitledName_);
}

std::optional<std::string> MaterialFile::readRecovery() const {
    if (!std::filesystem::exists(recoveryPath())) {
        return std::nullopt;
    }
    return read(recoveryPath());
}

void MaterialFile::writeRecovery(const std::string& xml) const {
    const std::string folder = stateFolder();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    // Only the user may read what they are working on.
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    const bool isNew = !std::filesystem::exists(recoveryPath());
    writeFile(recoveryPath(), xml);
    if (isNew) {
        std::filesystem::permissions(recoveryPath(),
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     ignored);
    }
}

void MaterialFile::removeRecovery() const {
    std::error_code ignored;
    std::filesystem::remove(recoveryPath(), ignored);
}
