#pragma once

#include "base/Exception.h"

// A command line that asks for something impossible: exit status 2, the message names what exists.
class UsageError : public Exception {
public:
    using Exception::Exception;
};
