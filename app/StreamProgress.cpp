#include "app/StreamProgress.h"

StreamProgress::~StreamProgress() {
    if (lineOpen_) {
        out_ << "\n";
    }
}

void StreamProgress::start(int total) {
    total_ = total;
    done_ = 0;
    redraw();
}

void StreamProgress::step() {
    ++done_;
    redraw();
}

void StreamProgress::finish() {
    redraw();
}

void StreamProgress::message(const std::string& text) {
    std::string copy = text;
    notifyObservers(&copy);
    text_ = text;
    redraw();
}

void StreamProgress::redraw() {
    if (!enabled_) {
        return;
    }
    // A visit count can exceed the total (shared nodes are visited once per path).
    out_ << "\r\033[K[" << done_ << "/" << total_ << "] " << text_ << std::flush;
    lineOpen_ = true;
}
