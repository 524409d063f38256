// Copies of hashes whose allocations fail part way, moves of hashes, and the charged allocator,
// counted allocation by allocation.

#include "base/VnBaseHash.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "base/VnChargedAllocator.h"
#include "base/VnIntHash.h"
#include "base/VnPackFormat.h"
#include "base/VnStringHash.h"
#include "job/VnJobId.h"
#include "testing/CollidingKeys.h"
#include "testing/TestRecords.h"
#include "tests/support/HashItems.h"

#include "tests/support/CountedNew.h"

namespace {

using hashitems::alive;
using hashitems::Item;

struct Hash : hashitems::ItemHash {
    // Every key that copykeys lists is found, and setting each again stores none twice.
    void expectConsistent(long n) {
        VnBaseList<VnString> listed;
        copykeys(listed);
        ASSERT_EQ(listed.length(), length()) << n;
        for (int i = 0; i < listed.length(); ++i)
            ASSERT_NE(get(*listed.get(i)), nullptr) << n << " key " << i;
        for (int i = 0; i < listed.length(); ++i)
            set(new Item(-9), *listed.get(i));
        EXPECT_EQ(length(), listed.length()) << n;
    }
};

// Allocations made while body runs.
template <class Body>
long allocationsOf(Body body) {
    const long start = allocations;
    body();
    return allocations - start;
}

}  // namespace

// Allocation N of an assignment fails, for every N until one succeeds. The source holds keys of
// one hash value, most of them in the overflow index, plain keys and a deleted slot.
TEST(VnHashCopy, AFailedCopyLeavesTheTargetAsItWas) {
    const std::vector<std::string> keys = colliding::keys(96, true);
    Hash source;
    for (std::size_t i = 0; i < keys.size(); ++i)
        source.put(int(i), keys[i]);
    for (int i = 0; i < 8; ++i)
        source.put(1000 + i, "plain" + std::to_string(i));
    delete source.remove(vs(keys[5]));
    ASSERT_GT(source.overflow.size(), 48u);

    long failures = 0;
    for (long n = 0;; ++n) {
        Hash target;
        target.put(1, "old");
        target.put(2, keys[7]);
        const int before = alive;  // nothing made for a failed copy may be left behind
        allocationsLeft = n;
        bool failed = false;
        try {
            target = source;
        } catch (const std::bad_alloc&) {
            failed = true;
        }
        allocationsLeft = -1;
        if (!failed) {
            EXPECT_TRUE(target.length() == source.length() && target.idOf("old") == -1);
            for (std::size_t i = 0; i < keys.size(); ++i)
                ASSERT_EQ(target.idOf(keys[i]), i == 5 ? -1 : int(i)) << i;
            break;
        }
        ++failures;
        EXPECT_TRUE(target.length() == 2 && target.idOf("old") == 1 && target.idOf(keys[7]) == 2 &&
                    alive == before)
            << n;
        target.expectConsistent(n);
        if (HasFailure()) break;
    }
    // Each indexed key's node and text, and each long key's object, text and value.
    EXPECT_GE(failures, long(2 * source.overflow.size() + 3 * (keys.size() - 1)));
}

// A move hands the slots, the overflow index and the values over without allocating; the source
// is left empty and takes keys again. A move assignment destroys the target's old values.
TEST(VnHashMove, MovesHandOverTheEntriesWithoutAllocating) {
    const std::vector<std::string> keys = colliding::keys(64, true);
    alive = 0;
    Hash a, c;
    for (std::size_t i = 0; i < keys.size(); ++i)
        a.put(int(i), keys[i]);
    c.put(-1, "gone");
    const Item* first = a.get(vs(keys[0]));
    const std::size_t indexed = a.overflow.size();
    ASSERT_GT(indexed, 0u);
    EXPECT_EQ(allocationsOf([&] {
                  Hash b(std::move(a));
                  c = std::move(b);
                  auto& sameC = c;       // the same object under another name
                  c = std::move(sameC);  // a move onto itself changes nothing
              }),
              0);
    EXPECT_TRUE(c.get(vs(keys[0])) == first && c.overflow.size() == indexed && c.idOf("gone") == -1);
    EXPECT_TRUE(alive == int(keys.size()) && c.length() == int(keys.size()));
    for (std::size_t i = 0; i < keys.size(); ++i)
        ASSERT_EQ(c.idOf(keys[i]), int(i));
    EXPECT_TRUE(a.length() == 0 && a.get(vs(keys[0])) == nullptr && a.overflow.empty());
    for (std::size_t i = 0; i < keys.size(); ++i)
        a.put(int(i) + 100, keys[i]);  // the moved-from hash fills again, beyond paths too
    a.expectConsistent(0);
    Hash slotless, copied;
    c = std::move(slotless);  // slotless is left with no slots, and so is a copy of it
    copied = slotless;
    copied.put(3, "x");
    EXPECT_TRUE(copied.length() == 1 && copied.idOf("x") == 3 && alive == int(keys.size()) + 1);

    // The packable hashes pack the same after a move; the moved-from one packs as empty and
    // reads again.
    VnStringHash strings, emptyStrings;
    VnIntHash ints, emptyInts;
    strings.set(new VnString("v"), "k");
    ints.set(7, "seven");
    const std::string stringsForm = packed(strings), intsForm = packed(ints);
    VnStringHash movedStrings(std::move(strings));
    VnIntHash movedInts;
    movedInts = std::move(ints);
    EXPECT_TRUE(packed(movedStrings) == stringsForm && packed(movedInts) == intsForm);
    EXPECT_TRUE(packed(strings) == packed(emptyStrings) && packed(ints) == packed(emptyInts));
    EXPECT_TRUE(unpackInto(strings, stringsForm) == 0 && unpackInto(ints, intsForm, false) == 0);
    EXPECT_TRUE(str(*strings.get("k")) == "v" && ints.get("seven") == 7);

    // Typed lists and hashes hand their elements over too.
    VnJobIdList ids;
    VnJobIdHash idsByName;
    ids.push(new VnJobId(12, 3));
    idsByName.set(new VnJobId(4), "four");
    const VnJobId* const element = ids.get(0);
    const VnJobId* const value = idsByName.get("four");
    VnJobIdHash movedByName;
    EXPECT_EQ(allocationsOf([&] {
                  VnJobIdList movedIds(std::move(ids));
                  EXPECT_TRUE(movedIds.length() == 1 && movedIds.get(0) == element);
                  ids = std::move(movedIds);
                  movedByName = std::move(idsByName);
              }),
              0);
    EXPECT_TRUE(ids.get(0) == element && movedByName.get("four") == value && idsByName.length() == 0);
}

// A count whose size in bytes overflows is refused before anything is charged or allocated.
TEST(VnChargedAllocator, OverflowingCountsAllocateAndChargeNothing) {
    VnChargedAllocator<std::uint64_t> allocator;
    const std::size_t tooMany = std::numeric_limits<std::size_t>::max() / sizeof(std::uint64_t) + 1;
    const vn_pack::ReadBudget budget(0);
    vn_pack::readBudget = 1000;
    EXPECT_EQ(allocationsOf([&] {
                  EXPECT_THROW(allocator.allocate(tooMany), std::bad_array_new_length);
                  EXPECT_THROW(allocator.allocate(std::numeric_limits<std::size_t>::max()),
                               std::bad_array_new_length);
              }),
              0);
    EXPECT_EQ(vn_pack::readBudget, 1000);
    std::uint64_t* block = nullptr;
    EXPECT_EQ(allocationsOf([&] { block = allocator.allocate(4); }), 1);
    EXPECT_EQ(vn_pack::readBudget, 1000 - 32 - vn_pack::kBlockOverhead);
    allocator.deallocate(block, 4);
}
