// What a read charges to its memory budget against what it really allocates. This program
// counts every allocation made through operator new while a count is open.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "base/VnIntHash.h"
#include "base/VnPackFormat.h"
#include "base/VnPackHooks.h"
#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "job/VnJobId.h"
#include "net/VnRegistry.h"
#include "system/VnConfig.h"
#include "testing/CollidingKeys.h"
#include "testing/TestRecords.h"

namespace {

struct Allocations {
    std::size_t bytes = 0;
    std::size_t blocks = 0;
};

Allocations* counting = nullptr;

void* allocate(std::size_t n) {
    if (counting) {
        ++counting->blocks;
        counting->bytes += n;
    }
    return std::malloc(n ? n : 1);
}

// What the allocations of body cost, counted as the read budget counts them, and what body
// charged to a budget opened around it.
struct Costs {
    Allocations made;
    std::int64_t charged = 0;
    std::int64_t cost() const { return std::int64_t(made.bytes + made.blocks * vn_pack::kBlockOverhead); }
};

template <class Body>
Costs costOf(Body body) {
    Costs costs;
    const vn_pack::ReadBudget budget(0);
    const std::int64_t before = vn_pack::readBudget;
    counting = &costs.made;
    body();
    counting = nullptr;
    costs.charged = before - vn_pack::readBudget;
    return costs;
}

}  // namespace

void* testAllocate(std::size_t n) {
    return allocate(n);
}

void testRelease(void* p) noexcept {
    std::free(p);
}

#include "tests/support/ReplacedNew.h"

// The registry charges the block of the object it makes (as a list does for an element it
// makes); everything that the construction allocates besides is charged by the part that
// allocates it (the tables of its hashes), so each class's charge stays true as the class
// changes.
TEST(VnReadCharge, EveryClassChargesWhatItsConstructionAllocates) {
    int classes = 0;
    for (int type = 0; type < 400; ++type) {
        std::unique_ptr<VnPack> made;
        const Costs costs = costOf([&] { made.reset(vn_registry_create(type)); });
        if (!made) continue;
        ++classes;
        EXPECT_EQ(costs.charged, costs.cost()) << str(made->typeXML());
    }
    EXPECT_EQ(classes, 98);
    // Outside a read nothing is charged.
    const std::int64_t before = vn_pack::readBudget;
    VnConfig outside;
    EXPECT_EQ(vn_pack::readBudget, before);
}

// A read charges exactly what it allocates for the objects it makes: elements, what they
// allocate, the slot arrays of lists, the tables of hashes as they grow, and the text of
// strings (four times the bytes of a text, the strings' growth rule; nothing for a short text
// kept inside its string object).
TEST(VnReadCharge, ReadsChargeWhatTheyAllocate) {
    std::string blanks = kVersion + intField(1, 300);
    for (int i = 0; i < 300; ++i)
        blanks += field(10, 2, "x");  // a char field where the element belongs
    std::string pairs = kVersion + intField(1, 2000), longPairs = pairs;
    for (int i = 0; i < 2000; ++i) {
        const std::string key = "key" + std::to_string(i);
        pairs += strField(10, key) + objField(30, VN_TYPE_JOB_ID, intField(1, i));
        longPairs += strField(10, "a key of more than 23 bytes " + key) + intField(30, i);
    }
    VnConfigList configs;
    VnJobIdHash ids;
    VnIntHash numbers;
    const Costs list = costOf([&] { EXPECT_EQ(configs.unpack(&blanks[0], int(blanks.size())), 0); });
    const Costs hash = costOf([&] { EXPECT_EQ(ids.unpack(&pairs[0], int(pairs.size())), 0); });
    const Costs intHash = costOf([&] { EXPECT_EQ(numbers.unpack(&longPairs[0], int(longPairs.size())), 0); });
    EXPECT_EQ(configs.length() + ids.length(), 2300);
    EXPECT_EQ(numbers.get("a key of more than 23 bytes key1999"), 1999);
    EXPECT_EQ(list.charged, list.cost());
    EXPECT_EQ(hash.charged, hash.cost());
    EXPECT_EQ(intHash.charged, intHash.cost());
    EXPECT_GT(list.made.blocks + hash.made.blocks + intHash.made.blocks, 8000u);
}

// XML reads charge exactly what they allocate too: the tree (nodes, texts, name tables, long keys,
// the exact keys a name ending in a digit brings, the stack), the objects made and the texts
// copied or read as numbers. So does a read whose crafted keys fill an overflow index.
TEST(VnReadCharge, XmlReadsAndOverflowingKeysChargeWhatTheyAllocate) {
    std::string items, pairs, crafted = kVersion + intField(1, 1024);
    for (int i = 0; i < 500; ++i) {
        const std::string key = (i % 2 ? "key" : "a text of more than 23 bytes ") + std::to_string(i);
        items += "<item>" + key + "</item>";
        pairs += "<key>" + key + "</key><element><object type = 'job_id'><id>000000000000000000000000" +
                 std::to_string(i) + "</id></object></element>";
    }
    items += "<item1>x</item1><an_element_name_longer_than_15_bytes>y</an_element_name_longer_than_15_bytes>";
    for (const std::string& key : colliding::keys(1024, true))
        crafted += strField(10, key) + strField(30, "v");
    const auto blocksCharged = [](VnPack& target, std::string text, bool xml) {
        if (xml) text = "<pack>" + text + "</pack>";
        char* data = &text[0];
        const int size = int(text.size());
        const Costs costs =
            costOf([&] { EXPECT_EQ(xml ? target.unpackXML(data, size) : target.unpack(data, size), 0); });
        EXPECT_EQ(costs.charged, costs.cost());
        return costs.made.blocks;
    };
    VnStringList strings;
    VnJobIdHash ids;
    VnStringHash index;
    EXPECT_GT(blocksCharged(strings, objectXML("string_list", items), true) +
                  blocksCharged(ids, objectXML("job_id_hash", pairs), true) +
                  blocksCharged(index, crafted, false),
              5000u);
    EXPECT_EQ(ids.get("a text of more than 23 bytes 498")->id(), 498);
    EXPECT_STREQ(strings.get(498)->value(), "a text of more than 23 bytes 498");
}

namespace {

// A record that reads a string hash and, when keep is set, keeps a copy of it: the copy is made
// during the read, and copyCharge is what the read's budget lost to it.
class HashKeeper : public VnPack {
public:
    bool keep = true;
    VnStringHash kept;
    std::int64_t copyCharge = 0;
    void encode() override { store(1, kept); }
    void decode() override {
        VnStringHash read;
        restore(1, read);
        if (!keep) return;
        const std::int64_t before = vn_pack::readBudget;
        kept = read;
        copyCharge = before - vn_pack::readBudget;
    }
    void encodeXML() override {}
    void decodeXML() override {}
};

}  // namespace

// A hash copied while an object is read is charged to that read, as a copy under a budget of its
// own is; a reserve that lets the hash be read but not copied refuses the read and leaves the
// copy's target as it was. (Tables grow by a random amount: each read starts from one seed.)
TEST(VnReadCharge, AHashCopiedDuringAReadIsChargedToIt) {
    HashKeeper source;
    for (int i = 0; i < 200; ++i)
        source.kept.set(new VnString(("v" + std::to_string(i)).c_str()), ("k" + std::to_string(i)).c_str());
    const std::string data = packed(source);
    std::string bytes;
    const auto read = [&](HashKeeper& keeper) {
        bytes = data;
        std::srand(7);
        return keeper.unpack(&bytes[0], int(bytes.size()));
    };
    HashKeeper keeper, reader;
    reader.keep = false;
    const Costs kept = costOf([&] { EXPECT_EQ(read(keeper), 0); });
    VnStringHash copy;
    const Costs copied = costOf([&] { copy = keeper.kept; });  // as large as the table read
    EXPECT_TRUE(keeper.copyCharge > 0 && keeper.copyCharge == copied.charged);
    EXPECT_TRUE(keeper.kept.length() == 200 && str(*keeper.kept.get("k199")) == "v199");

    // The reserve left after reading the hash is half the copy's charge.
    HashKeeper refused;
    refused.kept.set(new VnString("old"), "k0");
    const std::int64_t saved = vn_pack::readReserve;
    vn_pack::readReserve =
        kept.charged - keeper.copyCharge / 2 - std::int64_t(data.size() - 4) * vn_pack::kReadAllowance;
    EXPECT_EQ(read(reader), 0);
    EXPECT_EQ(read(refused), 4);
    vn_pack::readReserve = saved;
    EXPECT_TRUE(refused.kept.length() == 1 && str(*refused.kept.get("k0")) == "old");
}
