#pragma once

// Answers the editor's questions from a script and keeps what it was shown, so tests never block.
// An unexpected question fails the test and is answered No / Cancel.

#include "gui/Dialogs.h"

#include <deque>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

class ScriptedDialogs : public Dialogs {
public:
    struct Shown {
        std::string caption;
        std::string text;
    };

    bool askYesNo(const std::string& caption, const std::string& text) override {
        return next(caption, text);
    }
    void inform(const std::string& caption, const std::string& text) override {
        messages.push_back({caption, text});
    }
    bool askOkCancel(const std::string& caption, const std::string& text) override {
        return next(caption, text);
    }
    std::optional<bool> askYesNoCancel(const std::string& caption, const std::string& text) override {
        questions.push_back({caption, text});
        if (threeWay.empty()) {
            ADD_FAILURE() << "Unexpected question: " << text;
            return std::nullopt;
        }
        const std::optional<bool> answer = threeWay.front();
        threeWay.pop_front();
        return answer;
    }
    std::optional<int> askNumber(const std::string& caption, const std::string& text, int, int minimum,
                                 int maximum) override {
        questions.push_back({caption, text});
        if (numbers.empty()) {
            ADD_FAILURE() << "Unexpected question: " << text;
            return std::nullopt;
        }
        std::optional<int> answer = numbers.front();
        numbers.pop_front();
        if (answer) {
            EXPECT_GE(*answer, minimum);
            EXPECT_LE(*answer, maximum);
        }
        return answer;
    }
    std::optional<std::string> askOpenFile(const FileQuestion& question) override {
        return nextFile(question);
    }
    std::optional<std::string> askSaveFile(const FileQuestion& question) override {
        return nextFile(question);
    }

    std::deque<bool> answers;                     // for Yes/No and OK/Cancel, in order
    std::deque<std::optional<bool>> threeWay;     // for Yes/No/Cancel (nothing: Cancel)
    std::deque<std::optional<int>> numbers;       // for number questions (nothing: Cancel)
    std::deque<std::optional<std::string>> files; // for file dialogs, in order
    std::vector<Shown> questions;
    std::vector<FileQuestion> fileQuestions;
    std::vector<Shown> messages;

private:
    bool next(const std::string& caption, const std::string& text) {
        questions.push_back({caption, text});
        if (answers.empty()) {
            ADD_FAILURE() << "Unexpected question: " << text;
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> nextFile(const FileQuestion& question) {
        fileQuestions.push_back(question);
        if (files.empty()) {
            ADD_FAILURE() << "Unexpected file dialog: " << question.title;
            return std::nullopt;
        }
        std::optional<std::string> file = files.front();
        files.pop_front();
        return file;
    }
};
