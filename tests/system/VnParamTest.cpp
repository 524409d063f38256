#include "system/VnParam.h"
#include "testing/TestRecords.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace {

using Words = std::initializer_list<const char*>;

int parseWords(VnParam& p, Words list) {
    VnStringList args;
    for (const char* w : list)
        args.push(new VnString(w));
    return p.parse(args);
}

// The positional arguments joined by "|".
std::string positional(const VnParam& p) {
    std::string out;
    for (int i = 0; i < p.length(); ++i)
        out += (i ? "|" : "") + str(p.arg(i));
    return out;
}

// Per flag, what get answers and the given flag it sets ("9" when untouched), each followed by " ".
std::string flags(VnParam& p, Words names) {
    std::string out;
    for (const char* name : names) {
        unsigned char given = 9;
        const int found = p.get(name, given);
        out += std::to_string(found) + std::to_string(given) + " ";
    }
    return out;
}

// A parser with an option of every kind, and two names of which one prefixes the other.
struct Parser : VnParam {
    Parser() {
        defineFlag("all");
        defineStringOption("user");
        defineIntegerOption("count");
        defineDiffOption("shift");
        defineFlag("name");
        defineFlag("named");
        defineFlag("hold");
    }
    int run(Words list) { return parseWords(*this, list); }
    std::string text(const char* option) {
        VnString value("unset");
        get(option, value);
        return str(value);
    }
    std::string diff(const char* option) {
        int amount = -99;
        char sign = '?';
        const int found = get(option, amount, sign);
        return std::to_string(found) + sign + std::to_string(amount);
    }
};

}  // namespace

TEST(VnParam, FailureMessagesExactly) {
    const std::string notInteger = "ERROR: parameter '-s' is not an integer\n";
    // clang-format off
    const struct { Words args; std::string message; } cases[] = {
        {{"-zz"}, "ERROR: unknown option -zz\n"}, {{"--"}, "ERROR: unknown option --\n"},
        {{"-all", "-Name"}, "ERROR: unknown option -Name\n"},
        {{"-nam"}, "ERROR: ambiguous option '-nam'\n\tcould be:\n\t\t-name\n\t\t-named\n"},
        {{"-h"}, "ERROR: ambiguous option '-h'\n\tcould be:\n\t\t-help\n\t\t-hold\n"},
        {{"-user"}, "ERROR: parameter '-user' missing input\n"},
        {{"--c"}, "ERROR: parameter '--c' missing input\n"},
        {{"-count", ""}, "ERROR: option expects an integer '-count'"},
        {{"-co", "1x"}, "ERROR: parameter '1x' is not an integer\n"},
        {{"-count", "+1"}, "ERROR: parameter '+1' is not an integer\n"},
        {{"-shift", ""}, "ERROR: parameter '-shift' is blank\n"}, {{"-s", "+"}, notInteger},
        {{"-s", "5a"}, notInteger}, {{"-s", "--5"}, notInteger}, {{"-s", "1-"}, notInteger},
    };
    // clang-format on
    for (const auto& c : cases) {
        Parser p;
        EXPECT_EQ(p.run(c.args), 0) << c.message;
        EXPECT_EQ(str(p.error()), c.message);
    }

    // A failure leaves earlier options given and no positional arguments; the message stays
    // through a later successful parse.
    Parser p;
    ASSERT_EQ(p.run({"x", "y"}), 1);
    EXPECT_EQ(p.run({"-all", "-user", "u", "-zz", "rest"}), 0);
    EXPECT_EQ(flags(p, {"all"}) + p.text("user") + "|" + std::to_string(p.length()), "11 u|0");
    EXPECT_EQ(p.run({"rest"}), 1);
    EXPECT_EQ(str(p.error()), "ERROR: unknown option -zz\n");
}

TEST(VnParam, PrefixesExactNamesAndLookups) {
    Parser p;
    ASSERT_EQ(p.run({"-name"}), 1);  // exact, although it also prefixes "named"
    EXPECT_EQ(flags(p, {"name", "named"}), "11 10 ");
    ASSERT_EQ(p.run({"---named", "--a", "-ho"}), 1);  // any number of dashes, any unique prefix
    EXPECT_EQ(flags(p, {"named", "all", "hold"}), "11 11 11 ");

    VnParam late;  // the exact name wins wherever it stands in the list
    late.defineFlag("named");
    late.defineStringOption("name");
    late.defineFlag("name");  // a second "name": lookups find the first
    ASSERT_EQ(parseWords(late, {"-name", "v"}), 1);
    VnString value;
    EXPECT_EQ(late.get("name", value), 1);
    EXPECT_EQ(str(value) + "|" + std::to_string(late.find("name")->tag()) + "|" + positional(late), "v|2|");
    EXPECT_EQ(flags(late, {"named"}), "10 ");

    VnParam empty;  // an option with an empty name is never chosen
    empty.defineFlag("");
    EXPECT_EQ(parseWords(empty, {"--"}), 0);
    EXPECT_EQ(str(empty.error()), "ERROR: unknown option --\n");

    // Lookups take exact names only; options not given answer 0 and leave their outputs.
    Parser q;
    ASSERT_EQ(q.run({"-all"}), 1);
    EXPECT_EQ(flags(q, {"nothing", "al", "user", "all"}), "09 09 10 11 ");
    int number = 7, amount = 7;
    char sign = '?';
    VnString text("kept");
    EXPECT_EQ(q.get("nothing", number) + q.get("count", number) + q.get("user", text), 0);
    EXPECT_EQ(q.get("nothing", amount, sign) + q.get("shift", amount, sign), 0);
    EXPECT_EQ(std::to_string(number) + std::to_string(amount) + sign + str(text), "77?kept");
    EXPECT_EQ(q.defined("all") * 10 + q.defined("al"), 10);
    EXPECT_EQ(q.find("al"), nullptr);
    q.find("shift")->exists(1);  // given with an empty text: no diff value
    EXPECT_EQ(q.diff("shift"), "0?-99");
}

TEST(VnParam, ValuesAndPositionalArguments) {
    Parser p;
    ASSERT_EQ(
        p.run({"-user", "-all", "-c", "1-2", "--sh", "-3", "-user", "", "-all", "rest", "-x", "-5", ""}), 1);
    EXPECT_EQ(p.text("user") + "|" + p.text("count") + "|" + p.diff("shift"), "|1-2|1-3");
    int count = 0;
    EXPECT_EQ(p.get("count", count), 1);
    EXPECT_EQ(count, 1);  // "1-2" passes and reads as 1
    EXPECT_EQ(positional(p), "rest|-x|-5|");
    EXPECT_EQ(str(p.arg(-1)) + str(p.arg(4)) + "|" + str(p.name()), "|");  // the empty program name

    const std::pair<const char*, const char*> shifts[] = {
        {"+5", "1+5"}, {"7", "1=7"}, {"0", "1=0"}, {"-12", "1-12"}, {"+0042", "1+42"}};
    for (const auto& [shift, read] : shifts) {
        Parser d;
        ASSERT_EQ(d.run({"-shift", shift}), 1) << shift;
        EXPECT_EQ(d.diff("shift"), read);
    }

    // Options end at the first word without a leading "-", at an integer, or at an empty word.
    for (Words args : {Words{"-", "-all"}, Words{"-5", "-all"}, Words{"", "-all"}, Words{"file", "-all"}}) {
        Parser q;
        ASSERT_EQ(q.run(args), 1);
        EXPECT_EQ(flags(q, {"all"}) + std::to_string(q.length()), "10 2");
    }
    VnStringList withNull;
    withNull.push(nullptr);  // a null slot reads as an empty word
    withNull.push(new VnString("-all"));
    ASSERT_EQ(p.parse(withNull), 1);
    EXPECT_EQ(positional(p), "|-all");
}

TEST(VnParam, ArgumentVectorAndDisplay) {
    std::vector<std::string> texts = {"prog", "-user", "me", "a", "b"};
    std::vector<char*> argv;
    for (std::string& t : texts)
        argv.push_back(t.data());
    Parser p;
    ASSERT_EQ(p.parse(int(argv.size()), argv.data()), 1);
    EXPECT_EQ(str(p.name()) + "|" + p.text("user") + "|" + positional(p) + "|" + str(p.arg(2)),
              "prog|me|a|b|prog");

    argv[2] = nullptr;  // a null word is an empty value
    ASSERT_EQ(p.parse(int(argv.size()), argv.data()), 1);
    EXPECT_EQ(p.text("user") + "|" + positional(p), "|a|b");

    EXPECT_EQ(p.parse(0, argv.data()) + p.parse(3, nullptr), 2);  // nothing parsed, the name stays
    EXPECT_EQ(str(p.name()) + "|" + std::to_string(p.length()), "prog|0");
    argv[0] = nullptr;
    EXPECT_EQ(p.parse(1, argv.data()), 1);
    EXPECT_EQ(str(p.name()), "");

    VnParam shown;
    shown.defineStringOption("user");
    char name[] = "vnjobinfo";
    char* nameOnly[] = {name};
    ASSERT_EQ(shown.parse(1, nameOnly), 1);
    testing::internal::CaptureStdout();
    shown.displayHeader();
    shown.displayHelp();
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "help: vnjobinfo -help -version -user \nhelp: vnjobinfo\n\t-help\n\t-version\n\t-user\n");
}

TEST(VnParam, HelpAndVersionEndTheProcess) {
    auto parseAndExit = [](Words args, bool callbacks) {
        Parser p;
        if (callbacks) {
            p.setHelp([] { std::fputs("help callback\n", stderr); });
            p.setVersion([] { std::fputs("version callback\n", stderr); });
        }
        p.run(args);
        std::fputs("returned\n", stderr);
        std::exit(3);
    };
    EXPECT_EXIT(parseAndExit({"-help"}, true), ::testing::ExitedWithCode(0), "^help callback\n$");
    EXPECT_EXIT(parseAndExit({"-v", "x"}, true), ::testing::ExitedWithCode(0), "^version callback\n$");
    EXPECT_EXIT(parseAndExit({"-version", "--he"}, true), ::testing::ExitedWithCode(0), "^help callback\n$");
    EXPECT_EXIT(parseAndExit({"-help"}, false), ::testing::ExitedWithCode(0), "^$");
    // A failed parse returns, whatever was given before the failure.
    EXPECT_EXIT(parseAndExit({"-help", "-zz"}, true), ::testing::ExitedWithCode(3), "^returned\n$");
}

TEST(VnParam, LongArgumentLists) {
    Parser p;
    VnStringList args;
    const int options = 150000, rest = 150000;
    for (int k = 0; k < options; ++k)
        args.push(new VnString(k % 2 ? "-all" : "--named"));
    args.push(new VnString("-user"));
    args.push(new VnString(std::string(4 << 20, 'u').c_str()));
    for (int k = 0; k < rest; ++k)
        args.push(new VnString(k));
    ASSERT_EQ(p.parse(args), 1);
    EXPECT_EQ(p.length(), rest);
    EXPECT_EQ(str(p.arg(rest - 1)) + "|" + std::to_string(p.text("user").size()), "149999|4194304");
}
