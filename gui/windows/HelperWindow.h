#pragma once

// Base of the auxiliary windows (colour picker, result, log and help windows). Each deletes itself
// when it is closed, carries the application icon, and is listed while it is open, in opening order,
// so the editor can close them all at once (on Clear, on import, when the editing run ends).

#include <QDialog>
#include <vector>

class HelperWindow : public QDialog {
    Q_OBJECT

public:
    // A modal window blocks its parent while it is shown; a modeless one does not.
    HelperWindow(QWidget* parent, bool modal);
    ~HelperWindow() override;

    // Opens the window: a modal one returns when it ends, with its result (QDialog::Accepted or
    // Rejected), and is deleted by then; a modeless one returns 0 at once.
    int show();

    // The open windows, first opened first.
    static const std::vector<HelperWindow*>& openWindows();
    // Closes (and so deletes) every open window, first opened first.
    static void closeAll();

protected:
    // Called once when the window is first shown, after it is listed; builds what needs the window.
    virtual void onInitDialog() {}

private:
    bool modal_;
    bool listed_ = false;
};
