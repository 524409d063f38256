#include "base/VnPackage.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string str(const VnString& s) { return std::string(s.value(), s.length()); }

std::string expanded(const std::string& text)
{
    VnPackage p;
    p.expand(VnString(text.data(), static_cast<int>(text.size())));
    return str(p.compact());
}

std::string repeat(const std::string& s, int n)
{
    std::string out;
    while (n-- > 0)
        out += s;
    return out;
}

VnPackage* job()
{
    VnPackage* p = new VnPackage("job", "");
    p->push(new VnPackage("a", "1"));
    p->push(new VnPackage("b", "2"));
    return p;
}

// A chain of n unnamed nodes, each the only child of the one before.
void chain(VnPackage& root, int n)
{
    for (VnPackage* node = &root; --n > 0; node = node->get(0))
        node->push("");
}

// Runs fn on a thread with a 512 KiB stack, which a walk recursing per level would overflow.
void on_small_stack(std::function<void()> fn)
{
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, 512 * 1024);
    pthread_t thread;
    auto run = [](void* f) -> void* {
        (*static_cast<std::function<void()>*>(f))();
        return nullptr;
    };
    ASSERT_EQ(0, pthread_create(&thread, &attr, run, &fn));
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

} // namespace

TEST(VnPackage, CompactWritesEveryNodeAndEscapesSpecials)
{
    VnPackage fresh;
    EXPECT_EQ("(=)", str(fresh.compact()));
    EXPECT_EQ(167, fresh.type());
    EXPECT_EQ(VnPackage::SCALAR, fresh.objtype());

    std::unique_ptr<VnPackage> hash(job());
    EXPECT_EQ("(job=(a=1)(b=2))", str(hash->compact()));
    EXPECT_EQ(VnPackage::HASH, hash->objtype());
    VnPackage array;
    EXPECT_EQ(1, array.push("x"));
    array.push("y");
    EXPECT_EQ("(=(=x)(=y))", str(array.compact()));
    EXPECT_EQ(VnPackage::ARRAY, array.objtype());

    VnPackage odd("a=b", "f(x)\\y");
    EXPECT_EQ("(a\\=b=f\\(x\\)\\\\y)", str(odd.compact()));
    EXPECT_EQ(str(odd.compact()), expanded(str(odd.compact())));

    // Blanks, control bytes, NUL and high bytes pass unchanged.
    const std::string plain("t \t\n\x01\xE9", 6);
    VnPackage raw(VnString(plain.data(), 6), VnString("v\0w", 3));
    EXPECT_EQ("(" + plain + "=" + std::string("v\0w", 3) + ")", str(raw.compact()));
}

TEST(VnPackage, ExpandReadsAsFarAsTheTextGoes)
{
    VnPackage kept("n", "v");
    EXPECT_EQ(0, kept.expand(""));
    EXPECT_EQ(0, kept.expand("x(a=b)"));
    EXPECT_EQ("(n=v)", str(kept.compact()));
    kept.expand("(m=w(c=d))");  // adds to what the node holds
    EXPECT_EQ("(nm=vw(c=d))", str(kept.compact()));

    EXPECT_EQ("(=)", expanded("(=)"));
    EXPECT_EQ("(a=b)", expanded("(a=b"));
    EXPECT_EQ("(abc\\)=)", expanded("(abc)"));
    EXPECT_EQ("(a=b\\=c)", expanded("(a=b=c)"));
    EXPECT_EQ("(p=v(c=d)(e=f))", expanded("(p=v(c=d)xy(e=f))"));
    EXPECT_EQ("(p=v(c=d))", expanded("(p=v(c=d)w)"));
    EXPECT_EQ("(a=b)", expanded("(a=b)(c=d)"));
    EXPECT_EQ("(a=)", expanded("(a\\"));
}

TEST(VnPackage, RoundTripAndCopyKeepTheWholeTree)
{
    std::unique_ptr<VnPackage> tree(job());
    VnPackage* list = new VnPackage("list", "");
    list->push("(x)");
    list->push("\\");
    tree->push(list);
    tree->push(new VnPackage(VnString(), VnString("=")));

    const std::string text = "(job=(a=1)(b=2)(list=(=\\(x\\))(=\\\\))(=\\=))";
    EXPECT_EQ(text, str(tree->compact()));
    EXPECT_EQ(text, expanded(text));

    VnPackage copied(*tree);
    tree->get(0)->value("changed");
    EXPECT_EQ(text, str(copied.compact()));
    const VnPackage& same = copied;
    EXPECT_EQ(text, str((copied = same).compact()));
    copied = *copied.get(2);  // a descendant of the target itself
    EXPECT_EQ("(list=(=\\(x\\))(=\\\\))", str(copied.compact()));
}

TEST(VnPackage, SetReplacesAtPlaceAndRespectsIndexes)
{
    VnPackage p("", "");
    p.push(new VnPackage("first", "1"));
    p.push("unnamed");
    EXPECT_EQ(VnPackage::HASH, p.objtype());
    p.push(job());
    p.get(2)->name("k");
    p.set("k", "2");
    p.set("k", "2");
    EXPECT_EQ("(=(first=1)(=unnamed)(k=2))", str(p.compact()));

    p.set("", "v");  // an empty name matches the first unnamed child
    p.set("new", new VnPackage("ignored", "3"));
    p.set(new VnPackage("first", "9"));
    EXPECT_EQ("(=(first=9)(=v)(k=2)(new=3))", str(p.compact()));

    EXPECT_EQ(nullptr, p.get(-1));
    EXPECT_EQ(nullptr, p.get(p.length()));
    std::unique_ptr<VnPackage> spare(new VnPackage("spare", ""));
    EXPECT_EQ(0, p.set(p.length(), spare.get()));
    std::unique_ptr<VnPackage> old(p.get(0));
    EXPECT_EQ(1, p.set(0, spare.release()));
    EXPECT_EQ(0, p.push(static_cast<VnPackage*>(nullptr)));
    EXPECT_EQ(0, p.set(static_cast<VnPackage*>(nullptr)));
    EXPECT_EQ("(=(spare=)(=v)(k=2)(new=3))", str(p.compact()));

    std::vector<std::unique_ptr<VnPackage>> held;  // release hands every child over
    for (int i = 0; i < p.length(); ++i)
        held.emplace_back(p.get(i));
    p.release();
    EXPECT_EQ(0, p.length());
}

TEST(VnPackage, DisplayListsTheTree)
{
    std::unique_ptr<VnPackage> hash(job());
    VnPackage* items = new VnPackage("list", "");
    items->push("x");
    hash->push(items);
    testing::internal::CaptureStdout();
    hash->_display(0);
    EXPECT_EQ(" job => \n{\n  a => \n  1\n  b => \n  2\n  list => \n (\n   x\n )\n}\n",
              testing::internal::GetCapturedStdout());
}

TEST(VnPackage, HostileDepthIsCappedAndDeepTreesNeedNoRecursion)
{
    VnPackage opened;
    EXPECT_EQ(1, opened.expand(repeat("(", 100000).c_str()));
    EXPECT_EQ(99999, opened.name().length());  // without "=" the name runs to the end

    const int cap = VnPackage::MAX_DEPTH;
    const std::string capped = repeat("(=", cap) + repeat(")", cap);
    EXPECT_EQ(capped, expanded(repeat("(=", 100000) + "tail"));

    const int deep = 200000;
    std::string compacted, recompacted, listing;
    on_small_stack([&] {
        VnPackage root;
        chain(root, deep);
        VnPackage copied(root);
        compacted = str(copied.compact());
        recompacted = expanded(compacted);
        VnPackage shallow;
        chain(shallow, 3000);
        testing::internal::CaptureStdout();
        shallow._display(0);
        listing = testing::internal::GetCapturedStdout();
    });
    EXPECT_EQ(repeat("(=", deep) + repeat(")", deep), compacted);
    EXPECT_EQ(capped, recompacted);
    EXPECT_EQ(2 * 2999, std::count(listing.begin(), listing.end(), '\n'));
    EXPECT_EQ("(\n (\n", listing.substr(0, 5));
    EXPECT_EQ(" )\n)\n", listing.substr(listing.size() - 5));
}
