#include "base/Exception.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

TEST(ExceptionTest, CarriesItsMessageThroughCopiesAndBaseReferences) {
    try {
        throw Exception("Port must be >= 0");
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Port must be >= 0");
    }
    const Exception original("first");
    const Exception copy = original;
    EXPECT_EQ(copy.getMessage(), "first");
    EXPECT_EQ(SystemException().getMessage(), "System Exception");
}

TEST(ExceptionTest, SystemErrorCarriesTheSystemTextForTheLastError) {
    std::FILE* file = std::fopen("/nonexistent-velvor-dir/file", "rb");
    ASSERT_EQ(file, nullptr);
    const int code = errno;
    const Win32Exception error;
    EXPECT_EQ(error.getErrorCode(), ENOENT);
    EXPECT_EQ(error.getMessage(), std::strerror(code));
    EXPECT_FALSE(error.getMessage().empty());
}
