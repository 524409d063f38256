#include "base/VnIntHash.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

namespace {

// Keys of 16 blocks "ab" or "ha": both blocks hash alike, so every key has one hash value.
VnString collidingKey(int i) {
    std::string key;
    for (int b = 0; b < 16; ++b)
        key += (i >> b) & 1 ? "ha" : "ab";
    return VnString(key.c_str());
}

}  // namespace

// A few megabytes of pairs whose keys all share one hash value, read from both forms: every
// pair comes back, and reading stays proportional to the input.
TEST(VnIntHash, ManyCollidingKeysReadBackInBothForms) {
    const int count = 1 << 16;
    VnIntHash hash;
    for (int i = 0; i < count; ++i)
        hash.set(i - count / 2, collidingKey(i));
    for (bool xml : {false, true}) {
        const std::string form = packed(hash, xml);
        ASSERT_GT(form.size(), 2u << 20);
        VnIntHash back;
        ASSERT_EQ(unpackInto(back, form, xml), 0);
        EXPECT_EQ(packed(back).substr(4, 8), intField(1, count));
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(back.get(collidingKey(i)), i - count / 2) << i;
    }
}
