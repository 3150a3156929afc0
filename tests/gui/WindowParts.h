#pragma once

// The main window's parts as a user finds them: through the document it shows and its children.

#include "gui/canvas/NodesView.h"
#include "gui/editors/OperatorEditor.h"
#include "gui/main/MainWindow.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>

inline NodesView& canvasOf(MainWindow& window) {
    return *window.findChild<NodesView*>();
}

inline QListWidget& nodeListOf(MainWindow& window) {
    return *window.findChild<QListWidget*>();
}

// The parameter panel on show (a replaced one may linger hidden until the event loop deletes it).
inline OperatorEditor* panelOf(MainWindow& window) {
    for (OperatorEditor* panel : window.findChildren<OperatorEditor*>()) {
        if (!panel->isHidden()) {
            return panel;
        }
    }
    return nullptr;
}

// "status" (the status line) or "packedSize".
inline QLabel& labelOf(MainWindow& window, const char* name) {
    return *window.findChild<QLabel*>(name);
}

// A window's menu entry by its text, "&Enable auto rendering" for example.
inline QAction* actionOf(QWidget& window, const QString& text) {
    for (QAction* action : window.findChildren<QAction*>()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}
