#include "app/OutputNames.h"

#include <gtest/gtest.h>

TEST(OutputNamesTest, KeepsSafeCharactersAndReplacesTheRest) {
    EXPECT_EQ(collectorFileName(0, "Diffuse map"), "0_Diffuse_map.png");
    EXPECT_EQ(collectorFileName(12, "a-Z_9.x"), "12_a-Z_9.x.png");
    EXPECT_EQ(collectorFileName(1, "../../etc/passwd"), "1_.._.._etc_passwd.png");
    EXPECT_EQ(collectorFileName(2, "caf\xC3\xA9"), "2_caf__.png");
    EXPECT_EQ(collectorFileName(3, ""), "3_.png");
}
