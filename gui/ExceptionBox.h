#pragma once

// Exceptions must not cross Qt's event loop: every event handler that can raise runs its work through
// guarded(), which shows the failure and lets the editing run go on.

#include "base/Exception.h"

#include <QWidget>
#include <exception>
#include <string>

// "You just received a nice exception, with the following message:\n" and the message, in a box
// captioned "Exception".
void showException(QWidget* parent, const std::string& message);

template <typename Action> void guarded(QWidget* parent, Action&& action) {
    try {
        action();
    } catch (const Exception& exception) {
        showException(parent, exception.getMessage());
    } catch (const std::exception& exception) {
        showException(parent, exception.what());
    }
}
