#include "system/VnConfigFileTokens.h"

#include <cstring>

namespace {

bool isAbsent(unsigned char c) {
    return (c < 32 && c != '\t' && c != '\n' && c != '\r') || c >= 127;
}

bool isBlank(int c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool isOneOf(int c, const char* set) {
    return c > 0 && std::strchr(set, c) != nullptr;
}

bool endsWord(int c) {
    return c < 0 || isOneOf(c, " \t\r\n\":[]={}\\#");
}

}  // namespace

VnConfigFileTokens::VnConfigFileTokens(const VnString& text) : _s(text.value()), _n(text.length()) {
    next();
}

int VnConfigFileTokens::peek() {
    while (_at < _n && isAbsent(static_cast<unsigned char>(_s[_at])))
        ++_at;
    return _at < _n ? static_cast<unsigned char>(_s[_at]) : -1;
}

void VnConfigFileTokens::next() {
    _chars.clear();
    _more = false;
    if (_quote == Quote::Text) {
        quoted();
        return;
    }
    if (_quote == Quote::Close) {
        _quote = Quote::None;
        if (peek() >= 0) ++_at;  // the closing double quote or line feed
        delimiter('"');
        return;
    }
    if (!skipToToken()) return;
    const int c = peek();
    ++_at;
    if (c == '{') {
        braced();
    } else if (c == '"') {
        _quote = Quote::Text;
        delimiter('"');
    } else if (isOneOf(c, "\n:[]=}\\")) {
        delimiter(static_cast<char>(c));
    } else {
        --_at;
        word();
    }
}

bool VnConfigFileTokens::skipToToken() {
    for (;;) {
        bool blanks = false;
        while (isBlank(peek())) {
            ++_at;
            blanks = true;
        }
        const int c = peek();
        if (c < 0) {
            if (blanks) make(Kind::Word);  // blanks ran to the end: one empty word
            return false;
        }
        if (c != '#') return true;
        while (peek() >= 0 && peek() != '\n')
            ++_at;
    }
}

void VnConfigFileTokens::delimiter(char c) {
    _chars += c;
    make(Kind::Delimiter);
}

// Up to the next "}", which is passed; "\}" stands for "}". Braces do not nest.
void VnConfigFileTokens::braced() {
    for (int c; (c = peek()) >= 0 && c != '}';) {
        ++_at;
        if (c == '\\' && peek() == '}') {
            ++_at;
            c = '}';
        }
        _chars += static_cast<char>(c);
    }
    if (peek() >= 0) ++_at;
    make(Kind::Text);
}

// Up to, not including, the next double quote or line feed; "\"" stands for a double quote.
void VnConfigFileTokens::quoted() {
    for (int c; (c = peek()) >= 0 && c != '"' && c != '\n';) {
        ++_at;
        if (c == '\\' && peek() == '"') {
            ++_at;
            c = '"';
        }
        _chars += static_cast<char>(c);
    }
    _quote = Quote::Close;
    make(Kind::Text);
}

void VnConfigFileTokens::word() {
    for (int c; !endsWord(c = peek());) {
        _chars += static_cast<char>(c);
        ++_at;
    }
    make(Kind::Word);
}
