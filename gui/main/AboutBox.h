#pragma once

#include <QDialog>

// "ostra.Tools: Velvor / about": the logo, the version, a word on checking rendered output, and one
// button, "Whatever". Deletes itself when closed.
class AboutBox : public QDialog {
    Q_OBJECT

public:
    explicit AboutBox(QWidget* parent);
};
