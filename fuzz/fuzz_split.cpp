// Runs every splitter and tokenizer on one text and checks what can be checked cheaply:
// tab pieces join back to the text, blank-separated words hold no whitespace, and the pair
// splitters answer 1 exactly when their separator is there.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "expression/VnExpression.h"
#include "testing/TestRecords.h"

namespace {

using ListSplitter = void (*)(const VnString&, VnStringList&);

const ListSplitter kListSplitters[] = {
    VnExpression::split,         VnExpression::splitcomma,       VnExpression::splittab,
    VnExpression::splitslash,    VnExpression::splitspace,       VnExpression::tokenize,
    VnExpression::rangetokenize, VnExpression::callbacktokenize, VnExpression::valuetokenize,
};

bool isWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void checkTabs(const VnString& text, const std::string& raw) {
    VnStringList items;
    VnExpression::splittab(text, items);
    std::string joined;
    for (int i = 0; i < items.length(); ++i)
        joined += (i ? "\t" : "") + str(*items.get(i));
    if (!raw.empty() && raw.back() == '\t') joined += '\t';
    check(joined == raw);
}

void checkWords(const VnString& text) {
    VnStringList items;
    VnExpression::splitspace(text, items);
    for (int i = 0; i < items.length(); ++i) {
        const std::string word = str(*items.get(i));
        check(!word.empty());
        for (char c : word)
            check(!isWhite(c));
    }
}

void checkPairs(const VnString& text, const std::string& raw) {
    VnString name, value, left, right;
    check(VnExpression::splitequal(text, name, value) == (raw.find('=') != std::string::npos));
    name = "";
    value = "";
    const std::size_t colon = raw.find(':');
    const bool becomes = colon != std::string::npos && colon < raw.find('=');
    check(VnExpression::splitbecomes(text, name, value) == becomes);
    VnExpression::splitperiod(text, left, right);
    const std::size_t dot = raw.find('.');
    check(dot == std::string::npos ? str(left) == raw : str(left) + "." + str(right) == raw);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string raw(reinterpret_cast<const char*>(data), size);
    const VnString text(raw.data(), static_cast<int>(raw.size()));
    for (ListSplitter f : kListSplitters) {
        VnStringList items;
        f(text, items);
    }
    VnStringHash set;
    VnExpression::split(text, set);
    checkTabs(text, raw);
    checkWords(text);
    checkPairs(text, raw);
    return 0;
}
