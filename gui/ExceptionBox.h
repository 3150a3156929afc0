#pragma once

#include "gui/Dialogs.h"

#include <string>

// The one way a failed command is shown; the editing run goes on afterwards.
inline void showException(Dialogs& dialogs, const std::string& message) {
    dialogs.inform("Exception",
                   "You just received a nice exception, with the following message:\n" + message);
}
