#pragma once

#include "io/Prompt.h"

#include <cstddef>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

// Answers the loader's questions from a script and keeps everything it was shown. A question beyond
// the script fails the test and is answered No.
class ScriptedPrompt : public Prompt {
public:
    struct Shown {
        std::string caption;
        std::string text;
    };

    explicit ScriptedPrompt(std::vector<bool> answers = {}) : answers_(std::move(answers)) {}

    bool askYesNo(const std::string& caption, const std::string& text) override {
        questions.push_back({caption, text});
        if (next_ == answers_.size()) {
            ADD_FAILURE() << "Unexpected question: " << text;
            return false;
        }
        return answers_[next_++];
    }

    void inform(const std::string& caption, const std::string& text) override {
        messages.push_back({caption, text});
    }

    std::vector<std::string> questionTexts() const {
        std::vector<std::string> texts;
        for (const Shown& shown : questions) {
            texts.push_back(shown.text);
        }
        return texts;
    }

    std::vector<Shown> questions;
    std::vector<Shown> messages;

private:
    std::vector<bool> answers_;
    std::size_t next_ = 0;
};
