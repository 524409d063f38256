#ifndef VN_SYSTEM_VNCONFIGFILETOKENS_H
#define VN_SYSTEM_VNCONFIGFILETOKENS_H

#include <string>

#include "base/VnString.h"

// The tokens of sectioned configuration text, made one at a time as the reader asks for them,
// so that only the token at hand is held beside the text:
//
// - words: runs of characters up to a blank, a line feed or one of " : [ ] = { } \ #;
// - braced texts: what stands between "{" and the next "}" ("\}" stands for "}");
// - quoted texts: what stands between a double quote and the next double quote or line feed
//   ("\"" stands for a double quote), given as three tokens: a double-quote delimiter, the
//   text and a double-quote delimiter;
// - the delimiters line feed, ":", "[", "]", "=", "}" and backslash, one character each;
// - one empty word when blanks run to the end of the text.
//
// Spaces, tabs and carriage returns between tokens are passed over, and "#" starts a comment
// that runs to the line feed. The control characters other than tab, line feed and carriage
// return, byte 127 and the bytes 128 to 255 are read as if they were not there.
class VnConfigFileTokens {
public:
    enum class Kind { Delimiter, Word, Text };

    // Reads text, which must outlive the tokens; the first token is at hand at once.
    explicit VnConfigFileTokens(const VnString& text);

    // 1 while a token is at hand; 0 once the tokens are used up.
    bool more() const { return _more; }
    // Moves to the next token.
    void next();

    Kind kind() const { return _kind; }
    const std::string& chars() const { return _chars; }
    VnString text() const { return VnString(_chars.data(), static_cast<int>(_chars.size())); }
    bool is(Kind kind, const char* text) const { return _more && _kind == kind && _chars == text; }
    bool isDelimiter(const char* text) const { return is(Kind::Delimiter, text); }

private:
    // Where a quoted text stands: outside one, before its text, or before its closing quote.
    enum class Quote { None, Text, Close };

    // The character at the reading position, passing over those read as absent; -1 at the end.
    int peek();
    void make(Kind kind) {
        _kind = kind;
        _more = true;
    }
    void delimiter(char c);
    void braced();
    void quoted();
    void word();
    // Passes blanks and comments; false at the end of the text.
    bool skipToToken();

    const char* _s;
    int _n;
    int _at = 0;
    Quote _quote = Quote::None;
    bool _more = false;
    Kind _kind = Kind::Word;
    std::string _chars;
};

#endif  // VN_SYSTEM_VNCONFIGFILETOKENS_H
