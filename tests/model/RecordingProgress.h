#pragma once

#include "base/Progress.h"

#include <string>
#include <vector>

// Keeps every call as a line: messages as they are, "start N", "step" and "finish".
class RecordingProgress : public Progress {
public:
    void start(int total) override { log.push_back("start " + std::to_string(total)); }
    void step() override { log.push_back("step"); }
    void finish() override { log.push_back("finish"); }
    void message(const std::string& text) override { log.push_back(text); }

    // Only the "> node " and "> skip " lines.
    std::vector<std::string> visits() const {
        std::vector<std::string> result;
        for (const std::string& line : log) {
            if (line.rfind("> ", 0) == 0) {
                result.push_back(line);
            }
        }
        return result;
    }

    std::vector<std::string> log;
};
