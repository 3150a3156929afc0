#pragma once

// The quick help ("ostra.Tools: Velvor / Help", 600 x 400): a read-only rich-text document shown
// from its start with nothing selected. Modeless; any number may be open.

#include "gui/windows/HelperWindow.h"

class QTextBrowser;

class HelpWindow : public HelperWindow {
    Q_OBJECT

public:
    // Opens at once.
    // With the editor's window as parent, so that it takes input while the editing run is modal.
    explicit HelpWindow(QWidget* parent = nullptr);


private:
    QTextBrowser* browser_;
};
