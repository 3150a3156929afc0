#pragma once

#include <exception>
#include <string>

// The one failure channel of the program: every recoverable problem is raised as an Exception
// carrying the text that is shown to the user.
class Exception : public std::exception {
public:
    explicit Exception(std::string message);
    ~Exception() override = default;

    const std::string& getMessage() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};
