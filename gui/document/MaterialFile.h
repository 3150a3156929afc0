#pragma once

// The file behind the material of the stand-alone editor: where Save writes it at once (its packed
// form beside it), the lock that tells a second editor the file is open, and the recovery copy kept
// while there are unsaved changes, so that a crash or a kill loses at most ten seconds of work.

#include <QLockFile>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class MaterialFile {
public:
    // The largest material file the editor opens, as the command line does.
    static constexpr std::size_t maxBytes = 64u << 20;

    // No path: an untitled material, whose first Save asks for a name.
    explicit MaterialFile(std::string path = {});
    // Leaves the recovery copy (the caller removes it when nothing is lost) and the lock.
    ~MaterialFile();

    const std::string& getPath() const { return path_; }
    bool hasPath() const { return !path_.empty(); }
    // The name shown in the title: the file's name, or "Untitled".
    std::string displayName() const;
    // Another file from now on: the old one's lock is given up (its recovery copy removed) and the new
    // one's taken. Returns the process id of another editor holding the new file, if any.
    std::optional<std::int64_t> moveTo(std::string path);

    // Reads a material file as the command line would: a regular file of at most maxBytes; FIFOs,
    // devices and folders are refused. Raises Exception with the reason.
    static std::string read(const std::string& path);
    // Writes the material file, then the packed file beside it when there are packed bytes; both
    // atomically, the packed file no more open than the material file. Without packed bytes the old
    // packed file stays as it was. Raises Exception naming the file and the system's reason.
    void write(const std::string& xml, const std::optional<std::vector<std::uint8_t>>& packed) const;
    static std::string packedPathBeside(const std::string& materialPath);

    // The lock, taken when the file is opened: the process id of another running editor holding it,
    // or nothing once it is ours (a lock left by a dead process is taken over).
    std::optional<std::int64_t> lock();

    // Recovery copies live in $XDG_STATE_HOME/velvor/recovery (~/.local/state/velvor/recovery),
    // named after the edited file's full path.
    std::string recoveryPath() const;
    // The copy a killed editor left for this file, if any.
    std::optional<std::string> readRecovery() const;
    void writeRecovery(const std::string& xml) const;
    void removeRecovery() const;

private:
    std::string path_;
    std::string untitledName_;
    std::unique_ptr<QLockFile> lock_;
};
