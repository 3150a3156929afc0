#pragma once

// Answers the editor's questions from a script and keeps what it was shown, so tests never block.
// An unexpected question fails the test and is answered No / Cancel.

#include "gui/dialogs/Dialogs.h"

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
        return take(answers, {caption, text}, false);
    }
    void inform(const std::string& caption, const std::string& text) override {
        messages.push_back({caption, text});
    }
    bool askOkCancel(const std::string& caption, const std::string& text) override {
        return take(answers, {caption, text}, false);
    }
    std::optional<bool> askYesNoCancel(const std::string& caption, const std::string& text) override {
        return take(threeWay, {caption, text}, std::optional<bool>());
    }
    std::optional<int> askNumber(const std::string& caption, const std::string& text, int, int minimum,
                                 int maximum) override {
        const std::optional<int> answer = take(numbers, {caption, text}, std::optional<int>());
        EXPECT_TRUE(!answer || (minimum <= *answer && *answer <= maximum));
        return answer;
    }
    std::optional<std::string> askOpenFile(const FileQuestion& question) override {
        fileQuestions.push_back(question);
        return take(files, {question.title, question.filter}, std::optional<std::string>());
    }
    std::optional<std::string> askFolder(const std::string& title) override {
        return take(folders, {title, ""}, std::optional<std::string>());
    }
    std::size_t askChoice(const std::string& caption, const std::string& text,
                          const std::vector<std::string>& buttons) override {
        const std::optional<std::size_t> answer =
            take(choices, {caption, text}, std::optional<std::size_t>());
        return answer.value_or(buttons.size() - 1);
    }
    std::optional<std::string> askSaveFile(const FileQuestion& question) override {
        return askOpenFile(question);
    }

    std::deque<bool> answers;                       // for Yes/No and OK/Cancel, in order
    std::deque<std::optional<bool>> threeWay;       // for Yes/No/Cancel (nothing: Cancel)
    std::deque<std::optional<int>> numbers;         // for number questions (nothing: Cancel)
    std::deque<std::optional<std::string>> files;   // for file dialogs, in order
    std::deque<std::optional<std::size_t>> choices; // for questions with named buttons
    std::deque<std::optional<std::string>> folders; // for folder dialogs
    std::vector<Shown> questions;
    std::vector<FileQuestion> fileQuestions;
    std::vector<Shown> messages;

private:
    // The next scripted answer; a question beyond the script fails the test and gets `none`.
    template <typename Answer> Answer take(std::deque<Answer>& script, Shown shown, Answer none) {
        questions.push_back(shown);
        if (script.empty()) {
            ADD_FAILURE() << "Unexpected question: " << shown.caption << ": " << shown.text;
            return none;
        }
        Answer answer = script.front();
        script.pop_front();
        return answer;
    }
};
