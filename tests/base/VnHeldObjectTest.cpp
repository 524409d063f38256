// Held objects deleted at program and thread exit, and the memory that the deletion queue takes.
// This program counts the heap blocks alive, and can make one allocation fail.

#include "base/VnHeldObject.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

#include "farm/VnProperty.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/SmallStack.h"

namespace {

std::atomic<long> liveBlocks{0};
std::atomic<long> allocationsLeft{-1};  // allocations that succeed before one fails; -1: none fails
std::atomic<bool> allocationFailed{false};

void* allocate(std::size_t n) noexcept {
    if (allocationsLeft.load() == 0) {
        allocationsLeft = -1;
        allocationFailed = true;
        return nullptr;
    }
    if (allocationsLeft.load() > 0) --allocationsLeft;
    void* p = std::malloc(n ? n : 1);
    if (p) ++liveBlocks;
    return p;
}

void release(void* p) noexcept {
    if (p) --liveBlocks;
    std::free(p);
}

}  // namespace

void* testAllocate(std::size_t n) noexcept {
    return allocate(n);
}
void testRelease(void* p) noexcept {
    release(p);
}

#include "tests/support/ReplacedNew.h"

namespace {

// A property holding a chain of levels properties, each holding the next.
VnProperty* chain(int levels) {
    auto* top = new VnProperty();
    VnProperty* last = top;
    for (int level = 1; level <= levels; ++level) {
        auto* next = new VnProperty();
        last->value(next);
        last = next;
    }
    return top;
}

// A property holding a list of n properties, each holding a value: deleting the list makes n
// objects wait at once.
VnProperty* wide(int n) {
    auto* list = new VnPropertyList();
    for (int i = 0; i < n; ++i) {
        auto* p = new VnProperty();
        p->value(new VnProperty());
        list->push(p);
    }
    auto* top = new VnProperty();
    top->value(list);
    return top;
}

// Ends a child process through exit, so that the objects with static and thread storage are
// destroyed as at the end of any program: status 0 when no check in the child failed. Under the
// sanitizers a report (a use after free, a leak) ends the child with another status.
[[noreturn]] void exitChild(int from) {
    const ::testing::TestResult* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    bool failed = false;
    for (int i = from; i < result->total_part_count(); ++i)
        failed = failed || result->GetTestPartResult(i).failed();
    std::exit(failed ? 1 : 0);
}
#define EXITING_CHILD(...)                      \
    EXPECT_EXIT(                                \
        {                                       \
            const int from = recordedResults(); \
            __VA_ARGS__;                        \
            exitChild(from);                    \
        },                                      \
        ::testing::ExitedWithCode(0), "")

// Made on the thread before the thread first deletes a chain, so the runtime destroys it after
// everything that the first deletion may have set up; holds what make makes then.
template <class Make>
void holdUntilThreadExit(Make make) {
    thread_local VnProperty holder;
    holder.id(1);
    delete chain(3);
    holder.value(make());
}

}  // namespace

// A holder with static storage is destroyed after the thread-local objects of the main thread;
// one with thread storage may be destroyed after the others of its thread. Either deletes its
// chain then as at any other time, also a chain of 100,000 levels (no stack per level), on
// threads one after another.
TEST(VnHeldObject, HoldersAreDeletedAtProgramAndThreadExit) {
    EXITING_CHILD({
        delete chain(3);  // the main thread deleted a chain before
        static VnProperty holder;
        holder.value(chain(3));
    });
    EXITING_CHILD({
        delete chain(3);
        static VnProperty holder;
        holder.value(chain(100000));
    });
    EXITING_CHILD({
        for (int i = 0; i < 2000; ++i)
            std::thread([] { holdUntilThreadExit([] { return chain(3); }); }).join();
        EXPECT_TRUE(runOnSmallStack([] { holdUntilThreadExit([] { return chain(100000); }); }));
    });
}

// Deleting objects that wait for one another takes memory only while the deletion runs: what
// the queue took is given back when it ends, also when a holder is deleted at its thread's exit.
// When memory for the queue cannot be had, an object is deleted at once instead, and still
// nothing is left.
TEST(VnHeldObject, TheQueueKeepsNothingAndNeedsNoMemory) {
    const long before = liveBlocks;
    delete wide(1000);
    delete chain(3);
    EXPECT_EQ(liveBlocks, before);
    for (int i = 0; i < 50; ++i)
        std::thread([] { holdUntilThreadExit([] { return wide(100); }); }).join();
    EXPECT_EQ(liveBlocks, before);

    VnProperty* doomed = wide(1000);
    allocationFailed = false;
    allocationsLeft = 0;  // the first allocation of the deletion, the queue's, fails
    delete doomed;
    allocationsLeft = -1;
    EXPECT_TRUE(allocationFailed);
    EXPECT_EQ(liveBlocks, before);
}
