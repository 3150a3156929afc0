#pragma once

#include "base/Progress.h"

#include <string>
#include <vector>

class QLabel;
class QProgressBar;

namespace VelvorGUI {

// Shows rendering progress in the main window's progress bar and status line, keeps every message
// as the editing run's log, and passes each to its observers (the open log windows).
class ProgressReporter : public Progress {
public:
    ProgressReporter(QLabel& status, QProgressBar& bar) : status_(status), bar_(bar) {}

    // A total of 0 counts as 100.
    void start(int total) override;
    void step() override;
    void finish() override;
    void message(const std::string& text) override;

    const std::vector<std::string>& getMessages() const { return messages_; }

private:
    QLabel& status_;
    QProgressBar& bar_;
    std::vector<std::string> messages_;
    int total_ = 100;
};

} // namespace VelvorGUI
