#include "gui/windows/ProgressReporter.h"

#include <QLabel>
#include <QProgressBar>

namespace VelvorGUI {

void ProgressReporter::start(int total) {
    total_ = total == 0 ? 100 : total;
    bar_.setRange(0, total_);
    bar_.setValue(0);
}

void ProgressReporter::step() {
    // A render may visit a node more often than it announced; the bar stops at its end.
    bar_.setValue(std::min(bar_.value() + 1, bar_.maximum()));
}

void ProgressReporter::finish() {
    bar_.setValue(total_);
}

void ProgressReporter::message(const std::string& text) {
    status_.setText(QString::fromStdString(text));
    messages_.push_back(text);
    std::string copy = text;
    notifyObservers(copy);
}

} // namespace VelvorGUI
