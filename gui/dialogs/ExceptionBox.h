#pragma once

// Exceptions must not cross Qt's event loop: every event handler that can raise runs its work through
// guarded(), which shows the failure and lets the editing run go on.

#include "base/Exception.h"
#include "gui/dialogs/Dialogs.h"

#include <QWidget>
#include <exception>
#include <string>

// "You just received a nice exception, with the following message:\n" and the message, in a box
// captioned "Exception": through the editor's dialogs, or as a message box owned by `parent`.
void showException(Dialogs& dialogs, const std::string& message);
void showException(QWidget* parent, const std::string& message);

template <typename Shower, typename Action> void guarded(Shower&& shower, Action&& action) {
    try {
        action();
    } catch (const Exception& exception) {
        showException(shower, exception.getMessage());
    } catch (const std::bad_alloc&) {
        showException(shower, "Out of memory");
    } catch (const std::exception& exception) {
        showException(shower, exception.what());
    }
}
