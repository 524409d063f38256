#ifndef VN_EXPRESSION_VNREGEX_H
#define VN_EXPRESSION_VNREGEX_H

#include "base/VnString.h"
#include "base/VnStringList.h"

// One regular expression in PCRE syntax with its compile options.
//
// Nothing compiled is kept: every match compiles the pattern afresh with the
// current options, matches once and frees what it compiled. The error text
// holds the compiler's message when the last match could not compile the
// pattern, says which limit a match gave up at ("match limit exceeded",
// "heap limit exceeded", "depth limit exceeded"), and is empty otherwise. A
// match that gives up answers 0, as no match does.
class VnRegEx {
public:
    VnRegEx(const VnString& pattern);
    ~VnRegEx();

    const VnString& error() const;

    // A non-zero flag makes later matches ignore case; zero makes them exact.
    void caseless(unsigned char flag);

    // 1 when the pattern matches somewhere in text, else 0.
    int match(const VnString& text);
    // As match(text); on a match, appends groups 1 and up as new strings (an
    // unset group as an empty one). The whole match is never appended, and
    // nothing is appended when the pattern has more groups than fit (33).
    int match(const VnString& text, VnStringList& captures);

private:
    int _match(const VnString& text, VnStringList* captures);

    VnString _pattern;
    VnString _error;
    int _options;
};

#endif
