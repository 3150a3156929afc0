#include "app/StreamProgress.h"

#include "app/TerminalText.h"

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
    notifyObservers(copy);
    text_ = text;
    redraw();
}

void StreamProgress::redraw() {
    if (!enabled_) {
        return;
    }
    // A visit count can exceed the total (shared nodes are visited once per path).
    out_ << "\r\033[K[" << done_ << "/" << total_ << "] " << escapeControlCharacters(text_) << std::flush;
    lineOpen_ = true;
}

void StreamProgress::endLine() {
    if (lineOpen_) {
        out_ << "\n" << std::flush;
        lineOpen_ = false;
    }
}
