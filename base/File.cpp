#include "base/File.h"

#include "base/Exception.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace {

std::string readFailure(const std::string& path, int error) {
    return "Could not read file " + path +
           (error != 0 ? " (" + std::system_category().message(error) + ")" : "");
}

} // namespace

std::string readFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw Exception("Could not read file " + path);
    }
    std::string text;
    char chunk[4096];
    bool previousWasCr = false;
    std::size_t count = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        // Text-mode reading: a CR directly before an LF is dropped, even across chunk borders.
        for (std::size_t i = 0; i < count; ++i) {
            const char c = chunk[i];
            if (previousWasCr && c != '\n') {
                text += '\r';
            }
            previousWasCr = c == '\r';
            if (!previousWasCr) {
                text += c;
            }
        }
    }
    if (previousWasCr) {
        text += '\r';
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        throw Exception("Could not read file " + path);
    }
    return text;
}

std::vector<std::uint8_t> readBinaryFile(const std::string& path, std::size_t maxBytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        throw Exception(readFailure(path, errno));
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[4096];
    std::size_t count = 0;
    bool tooLarge = false;
    errno = 0;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + count > maxBytes) {
            tooLarge = true;
            break;
        }
        bytes.insert(bytes.end(), chunk, chunk + count);
    }
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (tooLarge) {
        throw Exception("File " + path + " is larger than the limit of " + std::to_string(maxBytes) +
                        " bytes");
    }
    if (failed) {
        throw Exception(readFailure(path, error));
    }
    return bytes;
}
