#pragma once

#include "io/Prompt.h"

#include <ostream>

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

private:
    std::ostream& err_;
    bool strict_;
    bool refused_ = false;
    bool failed_ = false;
};
