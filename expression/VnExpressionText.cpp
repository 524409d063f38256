// The splitters and tokenizers of VnExpression: static operations that cut a text into
// items, a name and a value, or tokens. They keep no state, append to what they are given
// and never fail. Bytes are bytes: no encoding is interpreted, and a NUL is an ordinary
// character.

#include "expression/VnExpression.h"

#include <cstring>
#include <memory>
#include <new>

namespace {

// Whitespace everywhere here: exactly space, tab, line feed and carriage return.
bool isWhite(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isQuote(char c) {
    return c == '"' || c == '\'';
}

bool isParen(char c) {
    return c == '(' || c == ')';
}

// c is one of the characters of set; the set's terminating NUL never counts.
bool isOneOf(char c, const char* set) {
    return c != '\0' && std::strchr(set, c) != nullptr;
}

// Appends a new string of the n bytes at s to the list, which owns it.
void pushItem(VnStringList& items, const char* s, int n) {
    std::unique_ptr<VnString> item(new VnString(s, n));
    if (!items.push(item.get())) throw std::bad_alloc();
    item.release();
}

void pushItem(VnStringList& items, const VnString& item) {
    pushItem(items, item.value(), item.length());
}

// Reads the quoted string whose quote is at p, appending its content without the quotes, and
// answers the position after the closing quote (the end of the text when it is not closed).
// A backslash with a character after it escapes that character, which never ends the string;
// keepEscapes keeps the backslash too. A backslash that ends the text is an ordinary character.
int readQuoted(const char* s, int n, int p, bool keepEscapes, VnString& content) {
    const char quote = s[p++];
    while (p < n && s[p] != quote) {
        if (s[p] == '\\' && p + 1 < n) {
            if (keepEscapes) content += s[p];
            ++p;
        }
        content += s[p++];
    }
    return p < n ? p + 1 : p;
}

// Reads the brace group whose "{" is at p, appending its content without the outer braces
// (inner braces nest and stay), and answers the position after the closing brace (the end of
// the text when it is not closed). Quotes and backslashes inside are ordinary characters.
int readBraces(const char* s, int n, int p, VnString& content) {
    int depth = 1;
    for (++p; p < n; ++p) {
        if (s[p] == '{')
            ++depth;
        else if (s[p] == '}' && --depth == 0)
            return p + 1;
        content += s[p];
    }
    return p;
}

// Reads a word: the character at p and those after it up to whitespace, a character for
// which ends answers true, or the end of the text. Answers the position after the word.
int readWord(const char* s, int n, int p, bool (*ends)(char), VnString& token) {
    const int start = p++;
    while (p < n && !isWhite(s[p]) && !ends(s[p]))
        ++p;
    token.append(s + start, p - start);
    return p;
}

int readOne(const char* s, int p, VnString& token) {
    token += s[p];
    return p + 1;
}

// ---- Splitters ----

// Copies the group that opens at p (a quoted string or a brace group, with its quotes or
// braces and escapes, a missing closer added) into item; answers the position after it.
// Any other character is left for the caller.
int copyGroup(const char* s, int n, int p, VnString& item) {
    const char open = s[p];
    const char close = open == '{' ? '}' : open;
    if (!isQuote(open) && open != '{') return p;
    item += open;
    p = open == '{' ? readBraces(s, n, p, item) : readQuoted(s, n, p, true, item);
    item += close;
    return p;
}

// Pushes item with the whitespace at both of its ends stripped.
void pushTrimmed(VnStringList& items, const VnString& item) {
    const char* s = item.value();
    int begin = 0;
    int end = item.length();
    while (begin < end && isWhite(s[begin]))
        ++begin;
    while (end > begin && isWhite(s[end - 1]))
        --end;
    pushItem(items, s + begin, end - begin);
}

// Pushes the pieces between separators, empty ones too, but not an empty last piece.
void splitAt(const VnString& text, char separator, VnStringList& items) {
    const char* s = text.value();
    const int n = text.length();
    int start = 0;
    for (int p = 0; p < n; ++p) {
        if (s[p] == separator) {
            pushItem(items, s + start, p - start);
            start = p + 1;
        }
    }
    if (start < n) pushItem(items, s + start, n - start);
}

// Appends the characters before limit that are not whitespace to name, up to the first
// character of separators; answers where it stopped (limit when no separator came first).
int scanName(const char* s, int limit, const char* separators, VnString& name) {
    int p = 0;
    for (; p < limit && !isOneOf(s[p], separators); ++p) {
        if (!isWhite(s[p])) name += s[p];
    }
    return p;
}

// Skips the whitespace from p on and appends the rest of the text unchanged to value.
void appendValue(const char* s, int n, int p, VnString& value) {
    while (p < n && isWhite(s[p]))
        ++p;
    value.append(s + p, n - p);
}

// ---- Tokenizers ----

// The operators of the expression language: the character that starts one, and the
// characters that may follow it to make a two-character operator.
struct Operator {
    char first;
    const char* second;
};

const Operator kOperators[] = {
    {'!', "="}, {'&', "&"}, {'|', "|"}, {'<', "=<>"}, {'=', "=<>"}, {'>', "=<>"}, {'(', ""},
    {')', ""},  {'*', ""},  {'+', ""},  {'-', ""},    {'/', ""},    {':', ""},    {'?', ""},
};

const Operator* findOperator(char c) {
    for (const Operator& op : kOperators) {
        if (op.first == c) return &op;
    }
    return nullptr;
}

bool endsExpressionWord(char c) {
    return isQuote(c) || findOperator(c) != nullptr;
}

bool endsRangeWord(char c) {
    return c == '[' || c == ']';
}

bool endsCallbackWord(char c) {
    return isQuote(c) || isParen(c);
}

// A token reader reads the token that starts at the non-white character at p and answers
// the position after it.
using TokenReader = int (*)(const char* s, int n, int p, VnString& token);

int readExpressionToken(const char* s, int n, int p, VnString& token) {
    if (isQuote(s[p])) return readQuoted(s, n, p, false, token);
    const Operator* op = findOperator(s[p]);
    if (!op) return readWord(s, n, p, endsExpressionWord, token);
    p = readOne(s, p, token);
    return p < n && isOneOf(s[p], op->second) ? readOne(s, p, token) : p;
}

int readRangeToken(const char* s, int n, int p, VnString& token) {
    if (endsRangeWord(s[p])) return readOne(s, p, token);
    return readWord(s, n, p, endsRangeWord, token);
}

int readCallbackToken(const char* s, int n, int p, VnString& token) {
    if (isParen(s[p])) return readOne(s, p, token);
    if (isQuote(s[p])) return readQuoted(s, n, p, false, token);
    return readWord(s, n, p, endsCallbackWord, token);
}

// Values add "," and brace groups to the callback grammar; a word still runs over "," and "{".
int readValueToken(const char* s, int n, int p, VnString& token) {
    if (s[p] == ',') return readOne(s, p, token);
    if (s[p] == '{') return readBraces(s, n, p, token);
    return readCallbackToken(s, n, p, token);
}

// Skips whitespace and hands visit every token that read finds, empty ones too, until visit
// answers false.
template <class Visit>
void eachTokenWith(const VnString& text, TokenReader read, Visit visit) {
    const char* s = text.value();
    const int n = text.length();
    VnString token;
    for (int p = 0; p < n;) {
        if (isWhite(s[p])) {
            ++p;
            continue;
        }
        token.clear();
        p = read(s, n, p, token);
        if (!visit(token)) return;
    }
}

void tokenizeWith(const VnString& text, VnStringList& tokens, TokenReader read) {
    eachTokenWith(text, read, [&tokens](const VnString& token) {
        pushItem(tokens, token);
        return true;
    });
}

}  // namespace

// Items end at a "," outside quotes and braces. Groups stay in the item as written (quotes,
// braces and escapes included) and may stand anywhere in it. A "," that ends the text adds
// no empty item after it.
void VnExpression::split(const VnString& text, VnStringList& items) {
    const char* s = text.value();
    const int n = text.length();
    VnString item;
    for (int p = 0; p < n; ++p) {
        item.clear();
        for (;;) {
            p = copyGroup(s, n, p, item);
            const int start = p;
            while (p < n && !isOneOf(s[p], ",\"'{"))
                ++p;
            item.append(s + start, p - start);
            if (p >= n || s[p] == ',') break;
        }
        pushTrimmed(items, item);
    }
}

// Each distinct item once, mapped to an equal string.
void VnExpression::split(const VnString& text, VnStringHash& set) {
    VnStringList items;
    split(text, items);
    for (int i = 0; i < items.length(); ++i) {
        const VnString& item = *items.get(i);
        std::unique_ptr<VnString> value(new VnString(item));
        set.set(value.get(), item);
        value.release();
    }
}

// A "[" opens a group that runs to the next "]" (no nesting), also right after another
// group, so "a[1-2][3,4]" is one item. Outside groups whitespace is dropped everywhere.
void VnExpression::splitcomma(const VnString& text, VnStringList& items) {
    eachcomma(text, [&items](const VnString& item) {
        pushItem(items, item);
        return true;
    });
}

void VnExpression::eachcomma(const VnString& text, const std::function<bool(const VnString&)>& visit) {
    const char* s = text.value();
    const int n = text.length();
    VnString item;
    for (int p = 0; p < n;) {
        if (s[p] == '[') {
            const void* close = std::memchr(s + p, ']', static_cast<std::size_t>(n - p));
            const int end = close ? static_cast<int>(static_cast<const char*>(close) - s) + 1 : n;
            item.append(s + p, end - p);
            p = end;
            continue;
        }
        if (s[p] == ',') {
            if (!visit(item)) return;
            item.clear();
        } else if (!isWhite(s[p])) {
            item += s[p];
        }
        ++p;
    }
    if (item.length() > 0) visit(item);
}

void VnExpression::splittab(const VnString& text, VnStringList& items) {
    splitAt(text, '\t', items);
}

void VnExpression::splitslash(const VnString& text, VnStringList& items) {
    splitAt(text, '/', items);
}

void VnExpression::splitspace(const VnString& text, VnStringList& items) {
    const char* s = text.value();
    const int n = text.length();
    for (int p = 0; p < n;) {
        if (isWhite(s[p])) {
            ++p;
            continue;
        }
        const int start = p;
        while (p < n && !isWhite(s[p]))
            ++p;
        pushItem(items, s + start, p - start);
    }
}

// The name is what comes before the first "=" without any whitespace; the value is the rest
// after it, leading whitespace skipped.
int VnExpression::splitequal(const VnString& text, VnString& name, VnString& value) {
    const char* s = text.value();
    const int n = text.length();
    const int p = scanName(s, n, "=", name);
    if (p >= n) return 0;
    appendValue(s, n, p + 1, value);
    return 1;
}

// As splitequal with ":", and 0 when an "=" comes before any ":". The last character is
// never part of the name, so a text whose first ":" is its last character gives an empty
// value and 1.
int VnExpression::splitbecomes(const VnString& text, VnString& name, VnString& value) {
    const char* s = text.value();
    const int n = text.length();
    if (n == 0) return 0;
    const int p = scanName(s, n - 1, ":=", name);
    if (s[p] != ':') return 0;
    appendValue(s, n, p + 1, value);
    return 1;
}

void VnExpression::splitperiod(const VnString& text, VnString& left, VnString& right) {
    const char* s = text.value();
    const int n = text.length();
    const void* dot = std::memchr(s, '.', static_cast<std::size_t>(n));
    const int p = dot ? static_cast<int>(static_cast<const char*>(dot) - s) : n;
    left.append(s, p);
    if (dot) right.append(s + p + 1, n - p - 1);
}

void VnExpression::tokenize(const VnString& text, VnStringList& tokens) {
    tokenizeWith(text, tokens, readExpressionToken);
}

void VnExpression::rangetokenize(const VnString& text, VnStringList& tokens) {
    tokenizeWith(text, tokens, readRangeToken);
}

void VnExpression::eachrangetoken(const VnString& text, const std::function<bool(const VnString&)>& visit) {
    eachTokenWith(text, readRangeToken, visit);
}

void VnExpression::callbacktokenize(const VnString& text, VnStringList& tokens) {
    tokenizeWith(text, tokens, readCallbackToken);
}

// "(" and ")" are tokens of their own, as in callback texts, so grouped values parse.
void VnExpression::valuetokenize(const VnString& text, VnStringList& tokens) {
    tokenizeWith(text, tokens, readValueToken);
}
