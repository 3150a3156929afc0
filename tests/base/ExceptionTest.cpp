#include "base/Exception.h"

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
}
