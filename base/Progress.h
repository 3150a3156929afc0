#pragma once

#include "base/Events.h"

#include <string>

// The sink through which long work (rendering) reports itself. Observers are told every message.
class Progress : public Observable<const std::string&> {
public:
    ~Progress() override = default;

    virtual void start(int total) = 0;
    virtual void step() = 0;
    virtual void finish() = 0;
    virtual void message(const std::string& text) = 0;
};

// Drops every report: for rendering where nobody watches (tests, batch tools).
class NullProgress : public Progress {
public:
    void start(int) override {}
    void step() override {}
    void finish() override {}
    void message(const std::string&) override {}
};
