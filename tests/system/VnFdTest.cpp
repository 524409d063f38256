#include "system/VnSafeOpen.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

namespace {

// The entries of /proc/self/fd, the listing's own descriptor among them.
int openDescriptors() {
    return int(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator()));
}

}  // namespace

TEST(VnFd, ClosesWhatItHolds) {
    const int before = openDescriptors();
    for (int i = 0; i < 100; ++i) {
        const VnFd held(open("/dev/null", O_RDONLY | O_CLOEXEC));
        ASSERT_TRUE(held.valid());
        EXPECT_EQ(openDescriptors(), before + 1);
    }
    EXPECT_EQ(openDescriptors(), before);
}
