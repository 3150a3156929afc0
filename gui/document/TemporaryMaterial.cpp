#include "gui/document/TemporaryMaterial.h"

#include "base/Exception.h"

#include <QDir>
#include <QTemporaryFile>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// $XDG_RUNTIME_DIR when it is a folder of this user's that only they may enter.
QString privateRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat status {};
    if (runtime == nullptr || *runtime != '/' || ::stat(runtime, &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_uid != ::getuid() || (status.st_mode & 077) != 0) {
        return {};
    }
    return QString::fromLocal8Bit(runtime);
}

} // namespace

TemporaryMaterial::TemporaryMaterial() {
    if (const char* path = std::getenv("VELVOR_TMP_MATERIAL"); path != nullptr && *path != '\0') {
        path_ = path;
        return;
    }
    QString folder = privateRuntimeFolder();
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    file_ = std::make_unique<QTemporaryFile>(QDir(folder).filePath("velvor-material-XXXXXX.tmp"));
    if (!file_->open()) {
        throw Exception("Could not create a temporary file in " + folder.toStdString() + " (" +
                        file_->errorString().toStdString() + ")");
    }
    path_ = file_->fileName().toStdString();
    file_->close(); // kept on disk until the run ends
}

TemporaryMaterial::~TemporaryMaterial() = default;
