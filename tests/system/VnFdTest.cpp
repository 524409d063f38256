#include "system/VnSafeOpen.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace {

// The descriptors that the process holds open, as /proc/self/fd lists them (the listing's own
// descriptor among them, the same on every call).
int openDescriptors() {
    int count = 0;
    for (auto entry = std::filesystem::directory_iterator("/proc/self/fd");
         entry != std::filesystem::directory_iterator(); ++entry)
        ++count;
    return count;
}

int openNull() {
    return open("/dev/null", O_RDONLY | O_CLOEXEC);
}

}  // namespace

// An object closes the descriptor it holds when it goes: a hundred files opened and dropped,
// one by one or held in a list that moves them as it grows, leave the count of open
// descriptors as it was. A move hands the descriptor on, and an assignment closes the one it
// replaces; a descriptor released belongs to the caller and stays open.
TEST(VnFd, ClosesWhatItHolds) {
    const int before = openDescriptors();
    for (int i = 0; i < 100; ++i) {
        const VnFd dropped(openNull());
        ASSERT_TRUE(dropped.valid());
    }
    EXPECT_EQ(openDescriptors(), before);
    {
        std::vector<VnFd> held;
        for (int i = 0; i < 100; ++i)
            held.emplace_back(openNull());
        EXPECT_EQ(openDescriptors(), before + 100);
    }
    EXPECT_EQ(openDescriptors(), before);

    VnFd first(openNull());
    VnFd second(openNull());
    const int kept = second.get();
    first = std::move(second);
    EXPECT_EQ(openDescriptors(), before + 1);
    EXPECT_TRUE(first.get() == kept && !second.valid() && second.get() == -1);
    VnFd moved(std::move(first));
    EXPECT_TRUE(moved.get() == kept && !first.valid());
    EXPECT_EQ(moved.release(), kept);
    EXPECT_FALSE(moved.valid());
    EXPECT_EQ(openDescriptors(), before + 1);
    EXPECT_NE(fcntl(kept, F_GETFD), -1);
    close(kept);
    EXPECT_EQ(openDescriptors(), before);
}
