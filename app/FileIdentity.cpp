#include "app/FileIdentity.h"

#include <sys/stat.h>

std::optional<FileIdentity> identityOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{status.st_dev, status.st_ino};
}

bool sameFile(const std::string& a, const std::string& b) {
    const std::optional<FileIdentity> first = identityOf(a);
    return a == b || (first && first == identityOf(b));
}
