#include "gui/windows/ProgressReporter.h"

#include <QLabel>
#include <QProgressBar>

namespace VelvorGUI {

namespace {

// A progress bar paints itself at once on every visible change, for work that blocks the event loop.
// Renders run beside it, so a change only marks the bar for the window's next paint: a render of many
// steps then costs one paint of the bar a frame, not one a step (each of which also painted whatever
// else was waiting, the canvas included).
template <typename Change> void changeLater(QProgressBar& bar, Change change) {
    bar.setUpdatesEnabled(false);
    change();
    bar.setUpdatesEnabled(true); // asks for the paint
}

} // namespace

void ProgressReporter::start(int total) {
    total_ = total == 0 ? 100 : total;
    changeLater(bar_, [this] {
        bar_.setRange(0, total_);
        bar_.setValue(0);
    });
}

void ProgressReporter::step() {
    // A render may visit a node more often than it announced; the bar stops at its end.
    changeLater(bar_, [this] { bar_.setValue(std::min(bar_.value() + 1, bar_.maximum())); });
}

void ProgressReporter::finish() {
    changeLater(bar_, [this] { bar_.setValue(total_); });
}

void ProgressReporter::message(const std::string& text) {
    status_.setText(QString::fromStdString(text));
    messages_.push_back(text);
    std::string copy = text;
    notifyObservers(copy);
}

} // namespace VelvorGUI
