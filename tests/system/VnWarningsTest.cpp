#include "system/VnWarnings.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/CapturedErrors.h"

// full() turns true with the 100th line written; a warning after it is only counted, and the
// warning that ends a reading is still written.
TEST(VnWarnings, FullAfterTheHundredthLine) {
    VnWarnings warnings;
    CapturedErrors errors;
    std::string expected;
    for (int i = 1; i < VnWarnings::kMaxWarnings; ++i) {
        warnings.warn("w" + std::to_string(i));
        expected += "w" + std::to_string(i) + "\n";
    }
    EXPECT_FALSE(warnings.full());
    warnings.warn("w100");
    EXPECT_TRUE(warnings.full());
    warnings.warn("past");
    warnings.last("end");
    EXPECT_TRUE(warnings.written() == 100 && warnings.leftOut() == 1);
    EXPECT_EQ(errors.text(), expected + "w100\nend\n");
}
