#pragma once

#include <string>

// How the file layer asks the user about problems in the data it reads, without showing anything
// itself: the editor answers with message boxes, the command line from its options, tests from a
// script.
class Prompt {
public:
    virtual ~Prompt() = default;

    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& caption, const std::string& text) = 0;
    // A message the user can only acknowledge.
    virtual void inform(const std::string& caption, const std::string& text) = 0;
};
