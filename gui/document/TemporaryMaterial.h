#pragma once

#include <memory>
#include <string>

class QTemporaryFile;

// The temporary material file one run writes and reads: VELVOR_TMP_MATERIAL when it is set, otherwise
// a file of the run's own, made exclusively with a unique name and mode 0600 in the user's runtime
// folder ($XDG_RUNTIME_DIR, when it is the user's and private) or the system's temporary folder, and
// removed when the run ends; nothing another user left there can stop or redirect it. Raises Exception
// when it cannot be made.
class TemporaryMaterial {
public:
    TemporaryMaterial();
    ~TemporaryMaterial();
    TemporaryMaterial(const TemporaryMaterial&) = delete;
    TemporaryMaterial& operator=(const TemporaryMaterial&) = delete;

    const std::string& getPath() const { return path_; }

private:
    std::unique_ptr<QTemporaryFile> file_;
    std::string path_;
};
