#pragma once

#include "base/Progress.h"

#include <ostream>

// Rendering progress as one status line that rewrites itself (for a terminal), or nothing at all.
class StreamProgress : public Progress {
public:
    StreamProgress(std::ostream& out, bool enabled) : out_(out), enabled_(enabled) {}
    ~StreamProgress() override;

    void start(int total) override;
    void step() override;
    void finish() override;
    void message(const std::string& text) override;
    // Ends the status line where it stands, so that what is printed next starts a line of its own.
    void endLine();

private:
    void redraw();

    std::ostream& out_;
    bool enabled_;
    int total_ = 0;
    int done_ = 0;
    std::string text_;
    bool lineOpen_ = false;
};
