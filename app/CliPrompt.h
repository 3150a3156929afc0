#pragma once

#include "io/Prompt.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Answers the loader's questions for the command line: Yes by default, each question printed to the
// error stream as a warning; in strict mode No. Messages (OK-only boxes) are printed and remembered
// as failures, since the loader only shows them when it could not do its job.
class CliPrompt : public Prompt {
public:
    CliPrompt(std::ostream& err, bool strict) : err_(err), strict_(strict) {}

    bool askYesNo(const std::string& caption, const std::string& text) override;
    void inform(const std::string& caption, const std::string& text) override;

    bool refusedAQuestion() const { return refused_; }
    bool reportedAFailure() const { return failed_; }
    // Every question in order, on one line, with its answer (true for Yes); and the messages.
    const std::vector<std::pair<std::string, bool>>& getQuestions() const { return questions_; }
    const std::vector<std::string>& getMessages() const { return messages_; }

private:
    std::ostream& err_;
    bool strict_;
    bool refused_ = false;
    bool failed_ = false;
    std::vector<std::pair<std::string, bool>> questions_;
    std::vector<std::string> messages_;
};
