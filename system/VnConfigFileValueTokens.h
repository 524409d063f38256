#ifndef VN_SYSTEM_VNCONFIGFILEVALUETOKENS_H
#define VN_SYSTEM_VNCONFIGFILEVALUETOKENS_H

#include <cstdint>
#include <cstring>
#include <string>

#include "base/VnString.h"

// The tokens of a value of sectioned configuration text, read one at a time in place: a run of
// spaces, tabs and carriage returns; one of ".", "{", "}", backslash and "$"; or a word of any
// other characters. A bare name in a reference is one word, so it ends at a blank or at one of
// ". { } \ $".
//
// This is also the one definition of where "self" and "this" stand for a section, and of how a
// section's name stands in their place in a stored value. They do so in the name's place of a
// reference: directly after "$", or after "$" and "{" (a token there is "named"). There the
// parse writes the name itself where it reads back as one plain word, else a marker, byte 1 and
// the name's bytes in lowercase hexadecimal, a word of its own. A reader takes a marker in the
// name's place as the name it stands for, whether it reads it as a reference's section or copies
// it as text, exactly as that name written there would read were it one plain word; elsewhere
// a marker is plain text. The parse reads no control characters from a file, so no text of its
// own holds byte 1.
class VnConfigFileValueTokens {
public:
    // A token is a stretch of the scanned text.
    struct Token {
        const char* data = "";
        int length = 0;
        bool named = false;   // in the name's place of a reference: after "$" or "${"
        bool marked = false;  // a marker there: it stands for a section's name

        bool is(char c) const { return length == 1 && *data == c; }
        bool is(const char* word) const {
            return std::strlen(word) == static_cast<std::size_t>(length) &&
                   std::memcmp(data, word, length) == 0;
        }
        VnString text() const { return VnString(data, length); }
    };

    explicit VnConfigFileValueTokens(const VnString& text) : _s(text.value()), _n(text.length()) {}

    // The next token; false at the end. Read for every byte of a value, so kept inline.
    bool next(Token& token) {
        if (_at >= _n) return false;
        const int start = _at;
        const bool word = !isBlank(_s[_at]) && !isSingle(_s[_at]);
        if (!word) {
            _at += isBlank(_s[_at]) ? static_cast<int>(std::strspn(_s + _at, kBlanks)) : 1;
        } else {
            skipWord();
        }
        token.data = _s + start;
        token.length = _at - start;
        token.named = (start >= 1 && _s[start - 1] == '$') ||
                      (start >= 2 && _s[start - 2] == '$' && _s[start - 1] == '{');
        token.marked = word && token.named && _s[start] == kMarker && isMarker(token.data, token.length);
        return true;
    }
    int at() const { return _at; }
    void seek(int at) { _at = at; }

    // "self" or "this" in the name's place: the section where the value was written.
    static bool isSelf(const Token& token) { return token.named && (token.is("self") || token.is("this")); }
    // What stands for the section of that name in place of "self" and "this": the name, or its
    // marker; and its length, counted without making it.
    static VnString selfForm(const VnString& name);
    static std::int64_t selfFormLength(const VnString& name);
    // token as it reads: a marker's name decoded into storage, any other token as it stands.
    static Token plain(const Token& token, std::string& storage);

private:
    static constexpr char kMarker = '\x01';
    static constexpr const char* kBlanks = " \t\r";
    static constexpr const char* kWordEnds = " \t\r.{}\\$";  // the blanks and the single characters
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
    static bool isSingle(char c) { return c == '.' || c == '{' || c == '}' || c == '\\' || c == '$'; }
    static bool readsBack(const VnString& name);
    static bool isMarker(const char* data, int length);
    // To the next blank or single character. The text is NUL-terminated; strcspn also stops at
    // a NUL within it, which belongs to the word.
    void skipWord() {
        for (;;) {
            _at += static_cast<int>(std::strcspn(_s + _at, kWordEnds));
            if (_at >= _n || _s[_at] != '\0') return;
            ++_at;
        }
    }

    const char* _s;
    int _n;
    int _at = 0;
};

#endif  // VN_SYSTEM_VNCONFIGFILEVALUETOKENS_H
