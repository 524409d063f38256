// Parses a fuzzed argument list: the input split at NUL and line-feed bytes, one argument per
// piece. The parser defines options of every kind whose names prefix one another, so words
// reach exact matches, unique prefixes, ties and every value check. The same words are parsed
// once as a list and once as an argument vector behind a program name; both must agree, and a
// success must keep exactly the trailing words as positional arguments.
//
// "help" and "version" end the process after a successful parse. No set of further options
// could keep the words from choosing them: a word that is exactly "help" always picks the
// predefined flag. What ends the process is an option *named* "help" or "version" being given,
// so the fuzz parser renames its two predefined flags ("helpless", "versions"). Words still
// reach them through prefixes ("-help", "-v"), exact names and ties with "helper" and "versus",
// but no option of those two names exists, so the process never ends.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "system/VnParam.h"
#include "testing/TestRecords.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void define(VnParam& p) {
    p.find("help")->name("helpless");
    p.find("version")->name("versions");
    check(!p.defined("help") && !p.defined("version"));
    p.defineFlag("al");
    p.defineFlag("all");
    p.defineStringOption("alias");
    p.defineIntegerOption("count");
    p.defineIntegerOption("counter");
    p.defineDiffOption("shi");
    p.defineDiffOption("shift");
    p.defineStringOption("s");
    p.defineFlag("helper");
    p.defineStringOption("versus");
    p.defineFlag("");
}

std::vector<std::string> split(const char* data, std::size_t size) {
    std::vector<std::string> pieces(1);
    for (std::size_t k = 0; k < size; ++k) {
        if (data[k] == '\0' || data[k] == '\n') {
            pieces.emplace_back();
        } else {
            pieces.back() += data[k];
        }
    }
    return pieces;
}

void checkSame(const VnParam& a, const VnParam& b) {
    check(a.length() == b.length() && str(a.error()) == str(b.error()));
    for (int i = 0; i < a.length(); ++i)
        check(str(a.arg(i)) == str(b.arg(i)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const std::vector<std::string> pieces = split(reinterpret_cast<const char*>(data), size);

    VnParam fromList, fromVector;
    define(fromList);
    define(fromVector);
    VnStringList args;
    std::vector<char*> argv{const_cast<char*>("fuzz")};
    for (const std::string& piece : pieces) {
        args.push(new VnString(piece.c_str()));
        argv.push_back(const_cast<char*>(piece.c_str()));
    }
    const int ok = fromList.parse(args);
    check(fromVector.parse(static_cast<int>(argv.size()), argv.data()) == ok);
    checkSame(fromList, fromVector);

    if (ok) {
        const int rest = fromList.length();
        check(rest <= args.length());
        for (int i = 0; i < rest; ++i)
            check(str(fromList.arg(i)) == str(*args.get(args.length() - rest + i)));
    } else {
        check(fromList.length() == 0 && str(fromList.error()).rfind("ERROR: ", 0) == 0);
    }
    int amount = 0;
    char sign = 0;
    if (fromList.get("shift", amount, sign)) check(sign == '+' || sign == '-' || sign == '=');
    return 0;
}
