#include "app/OutputModeScope.h"

#include <sys/stat.h>

OutputModeScope::OutputModeScope(const std::string& input) {
    struct stat status {};
    if (::stat(input.c_str(), &status) == 0) {
        const mode_t current = ::umask(0);
        previous_ = current;
        ::umask(current | (0066 & ~status.st_mode));
    }
}

OutputModeScope::~OutputModeScope() {
    if (previous_) {
        ::umask(*previous_);
    }
}
