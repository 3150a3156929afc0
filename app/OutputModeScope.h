#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

// A file a private material's outputs are made in: new files are no more open to the group and to
// others than the input is (on top of the umask), for the time of the scope.
class OutputModeScope {
public:
    explicit OutputModeScope(const std::string& input);
    ~OutputModeScope();
    OutputModeScope(const OutputModeScope&) = delete;
    OutputModeScope& operator=(const OutputModeScope&) = delete;

private:
    std::optional<mode_t> previous_;
};
