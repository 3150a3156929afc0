#pragma once

// Files are the same when they are one inode, whatever names and links lead to them.

#include <optional>
#include <string>
#include <sys/types.h>

struct FileIdentity {
    dev_t device;
    ino_t inode;
    auto operator<=>(const FileIdentity&) const = default;
};

// Nothing when the path does not exist (or cannot be examined).
std::optional<FileIdentity> identityOf(const std::string& path);

bool sameFile(const std::string& a, const std::string& b);
