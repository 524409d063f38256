#include "base/VnPackage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "testing/TestRecords.h"
#include "tests/support/SmallStack.h"

namespace {

std::string expanded(const std::string& text) {
    VnPackage p;
    p.expand(VnString(text.data(), static_cast<int>(text.size())));
    return str(p.compact());
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    while (n-- > 0)
        out += s;
    return out;
}

VnPackage* job() {
    VnPackage* p = new VnPackage("job", "");
    p->push(new VnPackage("a", "1"));
    p->push(new VnPackage("b", "2"));
    return p;
}

}  // namespace

TEST(VnPackage, CompactAndDisplay) {
    VnPackage fresh, array, odd("a=b", "f(x)\\y");
    std::unique_ptr<VnPackage> hash(job());
    EXPECT_TRUE(fresh.objtype() == VnPackage::SCALAR && array.push("x") == 1);
    array.push("y");
    EXPECT_TRUE(hash->objtype() == VnPackage::HASH && array.objtype() == VnPackage::ARRAY);
    EXPECT_EQ("(=)(job=(a=1)(b=2))(=(=x)(=y))",
              str(fresh.compact()) + str(hash->compact()) + str(array.compact()));
    EXPECT_EQ("(a\\=b=f\\(x\\)\\\\y)", str(odd.compact()));
    const std::string plain("t \t\n\x01\xE9", 6);  // passes unchanged, as do NUL bytes
    VnPackage raw(VnString(plain.data(), 6), VnString("v\0w", 3));
    EXPECT_EQ("(" + plain + "=" + std::string("v\0w", 3) + ")", str(raw.compact()));

    hash->push(new VnPackage("list", ""));
    hash->get(2)->push("x");
    testing::internal::CaptureStdout();
    hash->_display(0);
    EXPECT_EQ(" job => \n{\n  a => \n  1\n  b => \n  2\n  list => \n (\n   x\n )\n}\n",
              testing::internal::GetCapturedStdout());
}

TEST(VnPackage, ExpandReadsAsFarAsTheTextGoes) {
    VnPackage kept("n", "v"), self;
    EXPECT_TRUE(kept.expand("") == 0 && kept.expand("x(a=b)") == 0 && kept.expand("(m=w(c=d))") == 1);
    EXPECT_EQ("(nm=vw(c=d))", str(kept.compact()));  // adds to what the node holds
    const char* cases[][2] = {
        {"(=)", "(=)"},
        {"(a=b", "(a=b)"},
        {"(abc)", "(abc\\)=)"},
        {"(a=b=c)", "(a=b\\=c)"},
        {"(p=v(c=d)xy(e=f))", "(p=v(c=d)(e=f))"},
        {"(p=v(c=d)w)", "(p=v(c=d))"},
        {"(a=b)(c=d)", "(a=b)"},
        {"(a\\", "(a=)"},
        {"(a\\=b=f\\(x\\)\\\\y)", "(a\\=b=f\\(x\\)\\\\y)"},
        {"(j=(a=1)(l=(=\\(x\\))(=\\\\))(=\\=))", "(j=(a=1)(l=(=\\(x\\))(=\\\\))(=\\=))"}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], expanded(c[0])) << c[0];

    self.value("x");
    self.value("(=abcdefghijkl)");  // its own value, read as it was before the call
    EXPECT_EQ(1, self.expand(self.value()));
    EXPECT_EQ("(=\\(\\=abcdefghijkl\\)abcdefghijkl)", str(self.compact()));
}

TEST(VnPackage, SetReplacesAtPlaceAndCopyIsDeep) {
    VnPackage p("", "");
    p.push(new VnPackage("first", "1"));
    p.push("unnamed");
    p.push(job());
    p.get(2)->name("k");
    p.set("k", "2");
    p.set("k", "2");
    EXPECT_EQ("(=(first=1)(=unnamed)(k=2))", str(p.compact()));
    p.set("", "v");  // an empty name matches the first unnamed child
    p.set("new", new VnPackage("ignored", "3"));
    p.set(new VnPackage("first", "9"));
    EXPECT_EQ("(=(first=9)(=v)(k=2)(new=3))", str(p.compact()));

    std::unique_ptr<VnPackage> spare(new VnPackage("spare", "")), old(p.get(0));
    EXPECT_TRUE(p.get(-1) == nullptr && p.get(4) == nullptr && p.set(4, spare.get()) == 0);
    EXPECT_TRUE(p.set(0, spare.release()) == 1 && p.push(static_cast<VnPackage*>(nullptr)) == 0);
    EXPECT_EQ(VnPackage::HASH, p.objtype());  // only the first child decides; the second has no name
    p.push(job());
    VnPackage copied(p);  // deep: shares nothing with p
    p.get(4)->get(0)->value("changed");
    const VnPackage& same = copied;
    EXPECT_EQ("(=(spare=)(=v)(k=2)(new=3)(job=(a=1)(b=2)))", str((copied = same).compact()));
    copied = *copied.get(4);  // a descendant of the target itself
    EXPECT_EQ("(job=(a=1)(b=2))", str(copied.compact()));
}

TEST(VnPackage, HostileDepthIsCappedAndDeepTreesNeedNoRecursion) {
    const int cap = VnPackage::MAX_DEPTH, deep = 200000;
    const std::string capped = repeat("(=", cap) + repeat(")", cap);
    EXPECT_EQ(capped, expanded(repeat("(=", 100000) + "tail"));

    std::string compacted, recompacted;
    ASSERT_TRUE(runOnSmallStack([&] {
        VnPackage root;
        VnPackage* node = &root;
        for (int n = 1; n < deep; ++n, node = node->get(0))
            node->push("");
        VnPackage copied(root);
        compacted = str(copied.compact());
        recompacted = expanded(compacted);
    }));
    EXPECT_TRUE(compacted == repeat("(=", deep) + repeat(")", deep) && recompacted == capped);
}
