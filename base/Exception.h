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

// Captures the calling thread's last system error (errno here) and carries the system's text for it.
// The name is kept from the platform the program was first written for.
class Win32Exception : public Exception {
public:
    Win32Exception();
    int getErrorCode() const { return errorCode_; }

private:
    explicit Win32Exception(int errorCode);
    int errorCode_;
};

class SystemException : public Exception {
public:
    SystemException();
};
