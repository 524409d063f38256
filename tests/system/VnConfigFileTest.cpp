#include "system/VnConfigFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "testing/TestRecords.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include "tests/support/CountedNew.h"

namespace {

using Strings = std::vector<std::string>;

Strings strings(const VnStringList& list) {
    Strings out;
    for (int i = 0; i < list.length(); ++i)
        out.push_back(str(*list.get(i)));
    return out;
}

std::unique_ptr<VnConfigFile> parsed(const std::string& text) {
    std::unique_ptr<VnConfigFile> file(new VnConfigFile());
    file->parse(VnString(text.data(), static_cast<int>(text.size())));
    return file;
}

// The options of a section as "key=value;" in key order; "none" without the section.
std::string section(const VnConfigFile& file, const std::string& name) {
    const VnConfig* c = file.config(name.c_str());
    if (!c) return "none";
    VnStringList keys;
    c->labels(keys);
    std::map<std::string, std::string> sorted;
    for (int i = 0; i < keys.length(); ++i)
        sorted[str(*keys.get(i))] = str(c->option(*keys.get(i)));
    std::string out;
    for (const auto& [key, value] : sorted)
        out += key + "=" + value + ";";
    return out;
}

std::string local(const std::string& text) {
    return section(*parsed(text), "localhost");
}

// The section names in order, joined by ",".
std::string names(const VnConfigFile& file) {
    VnStringList keys;
    file.keys(keys);
    Strings sorted = strings(keys);
    std::sort(sorted.begin(), sorted.end());
    std::string out;
    for (const std::string& name : sorted)
        out += (out.empty() ? "" : ",") + name;
    return out;
}

// The peak resident size of this process so far, in bytes.
long peakBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024L;
}

// "s0" = 8 x's, and each section s1 ... s<last> holding twice the value of the one before.
std::string doublingSections(int last) {
    std::string text = "[s0]\nv = xxxxxxxx\n";
    for (int i = 1; i <= last; ++i) {
        const std::string before = "$s" + std::to_string(i - 1) + ".v";
        text += "[s" + std::to_string(i) + "]\nv = \"" + before + before + "\"\n";
    }
    return text;
}

std::string cutWarning(const std::string& value) {
    return "WARNING: " + value + " references expand too far... leaving the rest empty.\n";
}

}  // namespace

TEST(VnConfigFile, SectionsFromHeaders) {
    auto f = parsed("a = 1\n");
    EXPECT_EQ(names(*f), "localhost");
    EXPECT_EQ(section(*f, "localhost"), "a=1;");
    EXPECT_EQ(f->type(), 80);

    f = parsed("[web[01-02]]\nport = 80\n");
    EXPECT_EQ(names(*f), "web01,web02");
    EXPECT_EQ(section(*f, "web02"), "port=80;");
    EXPECT_STREQ(f->config("web01")->name().value(), "web01");

    f = parsed("[a, b[1-3]] k = v\n[a]\nj = w");
    EXPECT_EQ(names(*f), "a,b1,b2,b3");
    EXPECT_EQ(section(*f, "a"), "j=w;k=v;");
    EXPECT_EQ(section(*f, "b3"), "k=v;");

    f->parse("[a]\nj = x\n[c]\n");  // a second text adds to the sections
    EXPECT_EQ(names(*f), "a,b1,b2,b3,c");
    EXPECT_EQ(section(*f, "a"), "j=x;k=v;");
    VnStringList keys;
    keys.push(new VnString("held"));
    f->keys(keys);
    EXPECT_EQ(keys.length(), 6);
    EXPECT_EQ(names(*parsed("[]\nk = 1\n")), "");
}

TEST(VnConfigFile, Values) {
    EXPECT_EQ(local("msg = hello world"), "msg=helloworld;");
    EXPECT_EQ(local("msg = \"hello world\" n = \"2\""), "msg=hello world;n=2;");
    EXPECT_EQ(local("b = {x y\nz} \nc = 2"), "b=x y\nz;c=2;");
    EXPECT_EQ(local("q = \"\\\"\"\nr = {\\}a\\b}"), "q=\";r=}a\\b;");
    EXPECT_EQ(local("a =\nb = 2"), "a=;b=2;");
    EXPECT_EQ(local("a ="), "a=;");
    EXPECT_EQ(local("url = http://x:80/p # c\n# d = 1"), "url=http://x:80/p;");
    EXPECT_EQ(local("a = \"1\" oops\nb = 2"), "a=1;");
    EXPECT_EQ(local("oops\nb = 2"), "none");
    EXPECT_EQ(local("a.b = 1"), "a.b=1;");
    EXPECT_EQ(local("open = \"abc\nb = x\x01y\x80z"), "b=xyz;open=abc;");

    auto f = parsed("s . k = 1\nk = 2\ns . j\n= 3");
    EXPECT_EQ(section(*f, "s"), "k=1;");
    EXPECT_EQ(section(*f, "localhost"), "k=2;");
}

TEST(VnConfigFile, Parents) {
    auto f = parsed("[base]\nroot = /srv\n[app] : base\ndir = \"${base.root}/app\"\n");
    EXPECT_EQ(section(*f, "app"), "dir=/srv/app;root=/srv;");
    f = parsed("[base]\nroot = /srv\n[app] : base\ndir = ${base.root}/app\n");
    EXPECT_EQ(section(*f, "app"), "dir=;root=/srv;");
    f = parsed("[p1]\nk = 1\nj = 1\n[p2]\nk = 2\n[c] : p1 p2\nj = 3\n");
    EXPECT_EQ(section(*f, "c"), "j=3;k=2;");
    f = parsed("[p]\nk = 1\n[c] : p\n[p]\nk = 2\n");  // options as they stand at the header
    EXPECT_EQ(section(*f, "c"), "k=1;");

    testing::internal::CaptureStderr();
    f = parsed("[app] : nosuch\nk = 1");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "WARNING: app missing parent nosuch... skipping.\n");
    EXPECT_EQ(section(*f, "app"), "k=1;");
}

TEST(VnConfigFile, References) {
    auto f = parsed(
        "[s]\nx = 1\ny = $self.x\nz = ${self.x}\nw = $this.x\nn = \"${s._}\"\nm = \"a${self.none}b\"\n"
        "k = \"$x $_\"\nu = \"$nosuch.k\"\nv = \"${x}$\"\n");
    EXPECT_EQ(section(*f, "s"), "k=1 s;m=ab;n=s;u=.k;v=1;w=1;x=1;y=1;z=1;");
    f = parsed(
        "[base]\nroot = /b\nme = $self.root\n[app] : base\nroot = /a\n");  // self: where it was written
    EXPECT_EQ(section(*f, "app"), "me=/b;root=/a;");

    // A reference to a value of its own cycle reads as empty, whatever the order of the values.
    f = parsed(
        "[s]\nx = \"<${self.x}>\"\n[a]\nx = $b.y\n[b]\ny = $a.x\n[c]\nx = \"1$d.y\"\n[d]\ny = \"2$c.x\"\n");
    EXPECT_EQ(section(*f, "s"), "x=<>;");
    EXPECT_EQ(section(*f, "a") + section(*f, "b"), "x=;y=;");
    EXPECT_EQ(section(*f, "c") + section(*f, "d"), "x=1;y=2;");

    // The last section made expands first, so the first reference runs down the whole chain;
    // each value counts the references below it: s64 reads 64 deep and comes out whole, s65 on
    // are cut, each with a warning.
    std::string chain = "[s0]\nv = x\n";
    for (int i = 1; i < 70; ++i)
        chain += "[s" + std::to_string(i) + "]\nv = $s" + std::to_string(i - 1) + ".v\n";
    testing::internal::CaptureStderr();
    f = parsed(chain);
    std::string deeper;
    for (int i = 65; i < 70; ++i)
        deeper += "WARNING: s" + std::to_string(i) +
                  ".v references nest deeper than 64... leaving the rest empty.\n";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), deeper);
    EXPECT_EQ(section(*f, "s64") + section(*f, "s65"), "v=x;v=;");

    EXPECT_STREQ(f->_value("s0", "s1", "$v $self.v.${s2._}$nosuch.v").value(), "x x.s2.v");
    EXPECT_STREQ(VnConfigFile::_localvalue("s", "$self.x ${this.y} self $$self {self}").value(),
                 "$s.x ${s.y} self $$s {self}");
}

TEST(VnConfigFile, Tokenizers) {
    VnStringList tokens;
    VnConfigFile::tokenize("a=b\x01{c d\n\\}}\"q\\\"x\n[h]:\\ # c\n  ", tokens);
    EXPECT_EQ(strings(tokens),
              (Strings{"a", "=", "b", "c d\n}", "\"", "q\"x", "\"", "[", "h", "]", ":", "\\", "\n", ""}));
    // Characters read as absent join what stands around them, also an escape and its brace.
    const std::pair<std::string, Strings> cases[] = {
        {"{a\\\x01}b}c", {"a}b", "c"}},
        {"w\x7f\x80o\x1Frd\x01", {"word"}},
        {"\"x", {"\"", "x", "\""}},
        {"\"", {"\"", "", "\""}},
        {"k # c\n \t", {"k", "\n", ""}},
        {"k # c", {"k"}},
        {"{", {""}},
        {"", {}},
    };
    for (const auto& [text, expected] : cases) {
        VnStringList list;
        VnConfigFile::tokenize(VnString(text.data(), static_cast<int>(text.size())), list);
        EXPECT_EQ(strings(list), expected) << text;
    }
    VnStringList values;
    VnConfigFile::stringtokenize("a \t b.c${d}\\$\n", values);
    EXPECT_EQ(strings(values), (Strings{"a", " \t ", "b", ".", "c", "$", "{", "d", "}", "\\", "$", "\n"}));
}

TEST(VnConfigFile, DisplayExportRelease) {
    auto f = parsed("[s]\nk = v w\n");
    testing::internal::CaptureStdout();
    f->display();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[s]\nk = 'vw'\n");

    VnConfigHash copies = f->export_hash();
    ASSERT_NE(copies.get("s"), nullptr);
    copies.get("s")->option("k", "changed");
    EXPECT_EQ(section(*f, "s"), "k=vw;");
    EXPECT_STREQ(copies.get("s")->name().value(), "s");

    std::unique_ptr<VnConfig> taken(f->config("s"));
    f->release();
    EXPECT_EQ(f->config("s"), nullptr);
    EXPECT_EQ(names(*f), "");
}

class VnConfigFileOnDisk : public TempDirTest {};

TEST_F(VnConfigFileOnDisk, ReadsTheFile) {
    spit(at("hosts.conf"), "[h[1-2]]\nroot = /r\n");
    VnConfigFile file(at("hosts.conf").c_str());
    EXPECT_EQ(names(file), "h1,h2");
    VnConfigFile missing(at("missing.conf").c_str());
    EXPECT_EQ(names(missing), "");
}

// A file of kMaxFileSize bytes is read; one byte more and nothing of it is.
TEST_F(VnConfigFileOnDisk, LoadReadsFilesUpToTheCap) {
    const std::string path = at("big.conf");
    spit(path, "[s]\nk = 1\n");  // the rest reads as zero bytes, which the tokens pass over
    ASSERT_EQ(truncate(path.c_str(), VnConfigFile::kMaxFileSize), 0);
    VnConfigFile file;
    EXPECT_EQ(file.load(path.c_str()), 1);
    EXPECT_EQ(section(file, "s"), "k=1;");

    ASSERT_EQ(truncate(path.c_str(), VnConfigFile::kMaxFileSize + 1), 0);
    VnConfigFile over;
    EXPECT_EQ(over.load(path.c_str()), 0);
    EXPECT_EQ(names(over), "");
    EXPECT_EQ(names(VnConfigFile(path.c_str())), "");

    EXPECT_EQ(over.load(at("missing.conf").c_str()) + over.load(root.c_str()), 0);
    spit(path, "[s]\nk = 1\noops\nj = 2\n");  // a stray word ends the text, not the load
    EXPECT_EQ(over.load(path.c_str()), 1);
    EXPECT_EQ(section(over, "s"), "k=1;");

    spit(path, "[s]\nk = 1\n[a[1-100000]]\n[b[1-100000]]\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(over.load(path.c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: configuration text too large... skipping the rest.\n");
    EXPECT_NE(over.config("a100000"), nullptr);
}

// Size and work stay proportional to the text, however the references fan out.
TEST(VnConfigFile, LargeTexts) {
    // Each section refers to the next, which is expanded before it: the 64 last come out whole,
    // the others are cut, and 100 of their warnings are written.
    std::string chain;
    const int n = 60000;
    for (int i = 0; i < n; ++i)
        chain += "[h" + std::to_string(i) + "]\nv = \"$h" + std::to_string(i + 1) + ".v\"\nw = {a b}\n";
    chain += "[h" + std::to_string(n) + "]\nv = end\n";
    testing::internal::CaptureStderr();
    auto f = parsed(chain);
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_GT(chain.size(), 2000000u);
    EXPECT_EQ(section(*f, "h59935") + section(*f, "h59936"), "v=;w=a b;v=end;w=a b;");
    EXPECT_EQ(section(*f, "h0") + section(*f, "h59999"), "v=;w=a b;v=end;w=a b;");
    EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 101);
    EXPECT_EQ(warnings.substr(0, 84),
              "WARNING: h59935.v references nest deeper than 64... leaving the rest empty.\nWARNING:");
    EXPECT_EQ(warnings.substr(warnings.size() - 39), "WARNING: 59836 more warnings left out.\n");

    // Each value doubles the one before: each expansion stops at its own allowance, with a
    // warning that names it, and the values within theirs come out whole.
    testing::internal::CaptureStderr();
    f = parsed(doublingSections(40));
    std::string cut;
    for (int i = 20; i <= 40; ++i)
        cut += cutWarning("s" + std::to_string(i) + ".v");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), cut);
    for (int i = 1; i <= 40; ++i) {
        const int length = f->config(("s" + std::to_string(i)).c_str())->option("v").length();
        EXPECT_TRUE(i < 20 ? length == 8 << i : length > 1000000) << i << ": " << length;
    }
    const int longest = f->config("s40")->option("v").length();
    EXPECT_GT(longest, 10000);
    EXPECT_LE(longest, VnConfigFile::expansionAllowance(1 << 20));

    // Sections and options are stored up to a bound on their memory; the reading stops there.
    testing::internal::CaptureStderr();
    f = parsed("[a[1-100000]]\n[b[1-100000]]\nk = 1\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: configuration text too large... skipping the rest.\n");
    EXPECT_EQ(section(*f, "a1"), "");  // k = 1 was not reached
    EXPECT_NE(f->config("b1"), nullptr);
    EXPECT_EQ(f->config("b100000"), nullptr);
}

// A value that replaces another adds nothing to what the parse stores.
TEST(VnConfigFile, ReplacedValuesAddNothing) {
    std::string same;
    for (int i = 0; i < 600000; ++i)
        same += "k = v\n";
    testing::internal::CaptureStderr();
    auto f = parsed(same + "last = 1\n");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(section(*f, "localhost"), "k=v;last=1;");
}

// A value that refers to another keeps it whole, however far unrelated values expand.
TEST(VnConfigFile, EachValueHasItsOwnAllowance) {
    testing::internal::CaptureStderr();
    auto f = parsed("[paths]\nroot = /show\n[a]\ndir = $paths.root\nsub = \"${a.dir}/shots\"\n" +
                    doublingSections(20));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), cutWarning("s19.v") + cutWarning("s20.v"));
    EXPECT_EQ(section(*f, "a"), "dir=/show;sub=/show/shots;");
    EXPECT_EQ(f->config("s13")->option("v").length(), 8 << 13);

    // Without a key to name, the warning reads as before.
    testing::internal::CaptureStderr();
    std::string references;
    for (int i = 0; i < 20; ++i)
        references += "$s13.v";
    const VnString value = f->_value("s0", "s0", references.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: references expand too far... leaving the rest empty.\n");
    EXPECT_EQ(value.length() % (8 << 13), 0);  // cut between two references
    EXPECT_LT(value.length(), 20 * (8 << 13));
}

// The tokens are made as the parse reads them: a long run of them costs no memory of its own.
TEST(VnConfigFile, TokensAsTheParseReadsThem) {
    IN_CHILD({
        std::string text(16 << 20, '\n');
        text += "[s]\nk = \"v\"\n";
        const VnString held(text.data(), static_cast<int>(text.size()));
        std::string().swap(text);
        const long before = peakBytes();
        VnConfigFile file;
        file.parse(held);
        EXPECT_LT(peakBytes() - before, 4L << 20);
        EXPECT_EQ(section(file, "s"), "k=v;");
    });
}

// Every option an inheritance or a statement stores is charged, also where it replaces an
// equal one, so that naming a parent or a section again and again stops at the allowance.
// Parents named for no section are not read at all.
TEST_F(VnConfigFileOnDisk, RepeatedCopiesAreCharged) {
    const std::string value(1000, 'v'), statement = "k = " + value + "\n";
    std::string parent = "[p]\n", parents, statements = "[a[1-1000]]\n";
    for (int i = 0; i < 1000; ++i)
        parent += "k" + std::to_string(i) + " = " + value + "\n";
    for (int i = 0; i < 3000; ++i)
        parents += " p";
    for (int i = 0; i < 400; ++i)
        statements += statement;
    const long before = allocations;
    EXPECT_EQ(section(*parsed(parent + "[] :" + parents + "\n[q]\nk = 1"), "q"), "k=1;");
    EXPECT_LT(allocations - before, 20000);  // 3,000,000 when the 1,000 options are read for each name

    const auto stops = [&](VnConfigFile& file, const std::string& text) {
        spit(at("repeated.conf"), text + "[q]\nk = 1\n");
        testing::internal::CaptureStderr();
        EXPECT_EQ(file.load(at("repeated.conf").c_str()), 0);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "WARNING: configuration text too large... skipping the rest.\n");
        EXPECT_EQ(file.config("q"), nullptr);
    };
    VnConfigFile inherited, stored;
    stops(inherited, parent + "[c] :" + parents + "\n");
    EXPECT_EQ(section(inherited, "c"), section(inherited, "p"));
    stops(stored, statements);
    EXPECT_EQ(section(stored, "a1000"), "k=" + value + ";");
}

// Every byte a value receives counts against its own allowance (64 MiB once the text stores more
// than a MiB) and the shared one, copies of values expanded before included: each t<i> holds
// three copies of t<i-1>.
TEST(VnConfigFile, ExpansionCapsHold) {
    EXPECT_EQ(VnConfigFile::expansionAllowance(1LL << 40), 64 << 20);
    std::string text = "[pad]\n";
    for (int i = 0; i < 5000; ++i)
        text += "k" + std::to_string(i) + " = 1\n";
    for (int i = 15; i > 0; --i) {
        const std::string copy = "$t" + std::to_string(i - 1) + ".v";
        text += "[t" + std::to_string(i) + "]\nv = \"" + copy + copy + copy + "\"\n";
    }
    text += "[t0]\nv = " + std::string(533, 'x') + "\n";
    testing::internal::CaptureStderr();
    auto f = parsed(text);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              cutWarning("t11.v") + cutWarning("t12.v") + cutWarning("t13.v") + cutWarning("t14.v"));
    std::string lengths;  // t11 to t13 hold two copies of t10; the shared allowance ends at t14
    for (int i = 0; i <= 15; ++i)
        lengths += std::to_string(f->config(("t" + std::to_string(i)).c_str())->option("v").length()) + " ";
    EXPECT_EQ(lengths,
              "533 1599 4797 14391 43173 129519 388557 1165671 3497013 10491039 31473117 62946234 62946234 "
              "62946234 0 0 ");
}
