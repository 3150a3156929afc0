#include "gui/windows/LogWindow.h"

#include "base/Progress.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

LogWindow::LogWindow(Progress& reporter, QWidget* parent)
    : HelperWindow(parent, false), reporter_(reporter), edit_(new QPlainTextEdit(this)) {
    setWindowTitle("Log...");
    setSizeGripEnabled(true);
    edit_->setReadOnly(true);
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit_->setFont(QFont("Monospace"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_);
    resize(600, 400);
    reporter_.addObserver(&listener_);
    show();
}

LogWindow::~LogWindow() {
    reporter_.removeObserver(&listener_);
}

void LogWindow::addLine(const std::string& line) {
    text_ += line + "\r\n";
    // Appending shows the same text as setting it all again, without redoing every line.
    edit_->appendPlainText(QString::fromStdString(line));
}
