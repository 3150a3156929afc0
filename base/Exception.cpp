#include "base/Exception.h"

#include <cerrno>
#include <system_error>
#include <utility>

Exception::Exception(std::string message) : message_(std::move(message)) {}

Win32Exception::Win32Exception() : Win32Exception(errno) {}

Win32Exception::Win32Exception(int errorCode)
    : Exception(std::system_category().message(errorCode)), errorCode_(errorCode) {}

SystemException::SystemException() : Exception("System Exception") {}
