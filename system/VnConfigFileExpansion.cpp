#include "system/VnConfigFile.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "system/VnWarnings.h"

// The values of a sectioned configuration file: their tokens and the expansion of their
// references. The reading of the text into sections is in VnConfigFile.cpp.

namespace {

// What looking a reference up is taken to cost in an expansion, beside the text it reads.
constexpr std::int64_t kReferenceCost = 64;

bool isSelf(const VnString& name) {
    return name == VnString("self") || name == VnString("this");
}

}  // namespace

// ---- Value tokens -------------------------------------------------------------------------

// Reads the value tokens of a text one at a time: a run of spaces, tabs and carriage returns;
// one of ".", "{", "}", backslash and "$"; or a word of any other characters.
class VnConfigFile::ValueScanner {
public:
    // A token is a stretch of the scanned text.
    struct Token {
        const char* data = nullptr;
        int length = 0;

        bool is(char c) const { return length == 1 && *data == c; }
        bool is(const char* word) const {
            return std::strlen(word) == static_cast<std::size_t>(length) &&
                   std::memcmp(data, word, length) == 0;
        }
        VnString text() const { return VnString(data, length); }
    };

    explicit ValueScanner(const VnString& text) : _s(text.value()), _n(text.length()) {}

    // The next token; false at the end.
    bool next(Token& token) {
        if (_at >= _n) return false;
        const int start = _at;
        if (isBlank(_s[_at])) {
            _at += static_cast<int>(std::strspn(_s + _at, kBlanks));
        } else if (isSingle(_s[_at])) {
            ++_at;
        } else {
            skipWord();
        }
        token.data = _s + start;
        token.length = _at - start;
        return true;
    }
    int at() const { return _at; }
    void seek(int at) { _at = at; }

private:
    static constexpr const char* kBlanks = " \t\r";
    static constexpr const char* kWordEnds = " \t\r.{}\\$";  // the blanks and single characters
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
    static bool isSingle(char c) { return c == '.' || c == '{' || c == '}' || c == '\\' || c == '$'; }

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

// The expansion of the values of one parse, each expanded once. A value that meets a reference
// to a value not expanded yet sets its reading aside while that value is expanded, on a stack
// of its own rather than the call stack, so that no chain of references runs deep in calls.
//
// Each value expanded is remembered with its height: 0 when it read no value through a
// reference, else one more than the highest value it read. A value read again gives what it
// was expanded to and counts its height, so the depth of a chain is that of its own references
// in whatever order its values are expanded. A value that would read one of height kMaxDepth
// or more keeps what it has and the rest stays empty, with a warning; it counts as
// kMaxDepth + 1 high, so every value above it is cut too.
//
// A reference to a value under way (a cycle) reads as empty. A value whose expansion met a
// value under way below it on the stack holds what it gave only while that value is under way:
// it is not remembered, and is expanded again when it is next read, as it would be alone.
//
// Every value has an allowance of its own, and all of them share one: every byte a value
// receives is charged to both, and so is every reference read (kReferenceCost and its own
// text). Where the next text or reference would pass either, the value keeps what it has and
// the rest stays empty, with a warning.
class VnConfigFile::Expansion {
public:
    Expansion(const VnConfigFile& file, std::int64_t allowance, std::int64_t shared, VnWarnings& warnings)
        : _file(file), _allowance(allowance), _shared(shared), _warnings(warnings) {}

    // The values of section are stored back into it once expanded; other values are only
    // remembered here.
    void storeInto(VnConfig& section) { _stored[&section] = &section; }
    bool expanded(const VnConfig& section, const VnString& key) const {
        const auto found = _values.find(Name(&section, str(key)));
        return found != _values.end() && found->second.under < 0;
    }
    // text, the value of key in section (no section for a free text), expanded: current is
    // the section that "$k" and "$_" name, self the one that "$self" names.
    VnString run(const VnConfig* section, const VnString& key, const VnString& current, const VnString& self,
                 const VnString& text) {
        push(section, key, current, self, text);
        VnString result("");
        while (!_stack.empty()) {
            if (!step(*_stack.back())) finish(result);
        }
        return result;
    }

private:
    using Name = std::pair<const VnConfig*, std::string>;
    // A value remembered: under way at that place of the stack, or expanded (under < 0).
    struct Value {
        int under = -1;
        int height = 0;
        bool stored = false;  // the expanded text is the section's; else it is text
        VnString text;
    };
    // A value being expanded: its text, read up to at, and what it received so far.
    struct Frame {
        const VnConfig* section = nullptr;
        VnString key, current, self, text;
        VnString out = VnString("");
        int at = 0;
        std::int64_t left = 0;
        int height = 0;
        int lowest = 0;  // the lowest place on the stack of a value under way that it met
        bool cut = false;
    };
    // What one reference names.
    struct Reference {
        enum Kind { End, Nothing, Text, Value } kind = Nothing;
        VnString text;  // Text: what it gives; Value: the name of the section
        const VnConfig* section = nullptr;
        VnString key;
    };

    static std::string str(const VnString& text) { return std::string(text.value(), text.length()); }

    void push(const VnConfig* section, const VnString& key, const VnString& current, const VnString& self,
              const VnString& text);
    bool step(Frame& frame);
    std::int64_t read(ValueScanner& scan, const Frame& frame, Reference& reference) const;
    bool follow(Frame& frame, const Reference& reference);
    void receive(Frame& frame, const VnString& text, int height);
    void finish(VnString& result);
    void remember(const Frame& frame, int place);
    bool charge(Frame& frame, std::int64_t cost);
    void append(Frame& frame, const char* data, int length) {
        if (charge(frame, length)) frame.out.append(data, length);
    }
    void cut(Frame& frame, const std::string& why);

    const VnConfigFile& _file;
    const std::int64_t _allowance;
    std::int64_t _shared;
    VnWarnings& _warnings;
    std::map<const VnConfig*, VnConfig*> _stored;
    std::map<Name, Value> _values;  // ordered: finding a name costs O(log n) whatever the keys
    std::vector<std::unique_ptr<Frame>> _stack;
};

void VnConfigFile::Expansion::push(const VnConfig* section, const VnString& key, const VnString& current,
                                   const VnString& self, const VnString& text) {
    std::unique_ptr<Frame> frame(new Frame);
    frame->section = section;
    frame->key = key;
    frame->current = current;
    frame->self = self;
    frame->text = text;
    frame->left = _allowance;
    frame->lowest = static_cast<int>(_stack.size());
    if (section) _values[Name(section, str(key))].under = frame->lowest;
    _stack.push_back(std::move(frame));
}

// Reads the frame on to its end or its cut; true when it was set aside for the value that a
// reference reads, which is pushed.
bool VnConfigFile::Expansion::step(Frame& frame) {
    ValueScanner scan(frame.text);
    scan.seek(frame.at);
    ValueScanner::Token token;
    while (!frame.cut && scan.next(token)) {
        if (!token.is('$')) {
            append(frame, token.data, token.length);
            continue;
        }
        Reference reference;
        const std::int64_t cost = read(scan, frame, reference);
        frame.at = scan.at();
        if (reference.kind == Reference::End || !charge(frame, cost)) break;
        if (reference.kind == Reference::Text) append(frame, reference.text.value(), reference.text.length());
        if (reference.kind == Reference::Value && follow(frame, reference)) return true;
    }
    return false;
}

// "$" name, or "$" section "." key, each optionally between "{" and "}", read after the "$";
// answers what reading it costs. A name that is no section before a "." is dropped with the
// "$" and the "{", the "." left to be copied as text.
std::int64_t VnConfigFile::Expansion::read(ValueScanner& scan, const Frame& frame,
                                           Reference& reference) const {
    const int start = scan.at();
    ValueScanner::Token token;
    bool more = scan.next(token);
    const bool braced = more && token.is('{');
    if (braced) more = scan.next(token);
    if (!more) {
        reference.kind = Reference::End;
        return 0;
    }
    const VnString name = isSelf(token.text()) ? frame.self : token.text();
    const int afterName = scan.at();
    if (scan.next(token) && token.is('.')) {
        reference.section = _file.config(name);
        if (!reference.section) {
            scan.seek(afterName);
            return kReferenceCost + scan.at() - start;
        }
        reference.key = scan.next(token) ? token.text() : VnString("");
        reference.kind = reference.key == VnString("_") ? Reference::Text : Reference::Value;
        reference.text = name;
    } else {
        scan.seek(afterName);
        reference.section = _file.config(frame.current);
        reference.key = name;
        reference.kind = name == VnString("_") ? Reference::Text : Reference::Value;
        reference.text = frame.current;
    }
    const std::int64_t cost = kReferenceCost + scan.at() - start;
    const int afterReference = scan.at();
    if (braced && !(scan.next(token) && token.is('}'))) scan.seek(afterReference);
    return cost;
}

// Gives frame the value that reference reads, when that is at hand; else pushes it and
// answers true.
bool VnConfigFile::Expansion::follow(Frame& frame, const Reference& reference) {
    const VnConfig* section = reference.section;
    if (!section || !section->exists(reference.key)) return false;
    const auto found = _values.find(Name(section, str(reference.key)));
    if (found != _values.end()) {
        const Value& value = found->second;
        if (value.under >= 0) {  // a cycle: the reference reads as empty
            frame.lowest = std::min(frame.lowest, value.under);
            frame.height = std::max(frame.height, 1);
        } else {
            receive(frame, value.stored ? section->option(reference.key) : value.text, value.height);
        }
        return false;
    }
    const VnString& text = section->option(reference.key);
    if (!text.haschar('$')) {
        receive(frame, text, 0);
        return false;
    }
    push(section, reference.key, reference.text, reference.text, text);
    return true;
}

void VnConfigFile::Expansion::receive(Frame& frame, const VnString& text, int height) {
    if (height >= kMaxDepth) {
        cut(frame, "references nest deeper than " + std::to_string(kMaxDepth));
        frame.height = kMaxDepth + 1;
        return;
    }
    frame.height = std::max(frame.height, height + 1);
    append(frame, text.value(), text.length());
}

// Takes the top frame off the stack and gives what it expanded to the frame below, or to
// result when there is none.
void VnConfigFile::Expansion::finish(VnString& result) {
    const std::unique_ptr<Frame> frame = std::move(_stack.back());
    _stack.pop_back();
    if (frame->section) remember(*frame, static_cast<int>(_stack.size()));
    if (_stack.empty()) {
        result = frame->out;
        return;
    }
    Frame& below = *_stack.back();
    below.lowest = std::min(below.lowest, frame->lowest);
    receive(below, frame->out, frame->height);
}

void VnConfigFile::Expansion::remember(const Frame& frame, int place) {
    const auto found = _values.find(Name(frame.section, str(frame.key)));
    if (frame.lowest < place) {  // it read a value under way below it
        _values.erase(found);
        return;
    }
    Value& value = found->second;
    value.under = -1;
    value.height = frame.height;
    const auto stored = _stored.find(frame.section);
    value.stored = stored != _stored.end();
    if (value.stored) {
        stored->second->option(frame.key, frame.out);
    } else {
        value.text = frame.out;
    }
}

// Charges cost when both allowances hold it; else cuts the frame: from then on it charges
// and appends nothing.
bool VnConfigFile::Expansion::charge(Frame& frame, std::int64_t cost) {
    if (!frame.cut && cost <= frame.left && cost <= _shared) {
        frame.left -= cost;
        _shared -= cost;
        return true;
    }
    cut(frame, "references expand too far");
    return false;
}

// Warns, the first time, that the rest of the value stays empty, and why.
void VnConfigFile::Expansion::cut(Frame& frame, const std::string& why) {
    if (frame.cut) return;
    frame.cut = true;
    std::string label;
    if (frame.section)
        label = VnWarnings::quote(frame.section->name()) + "." + VnWarnings::quote(frame.key) + " ";
    _warnings.warn("WARNING: " + label + why + "... leaving the rest empty.");
}

// ---- Values ------------------------------------------------------------------------------

void VnConfigFile::stringtokenize(const VnString& text, VnStringList& out) {
    ValueScanner scan(text);
    ValueScanner::Token token;
    while (scan.next(token)) {
        std::unique_ptr<VnString> copy(new VnString(token.text()));
        if (out.push(copy.get())) copy.release();
    }
}

VnString VnConfigFile::_localvalue(const VnString& name, const VnString& text) {
    VnString out("");
    ValueScanner scan(text);
    ValueScanner::Token token;
    bool afterDollar = false, afterBrace = false;
    while (scan.next(token)) {
        if ((afterDollar || afterBrace) && (token.is("self") || token.is("this"))) {
            out += name;
        } else {
            out.append(token.data, token.length);
        }
        afterBrace = afterDollar && token.is('{');
        afterDollar = token.is('$');
    }
    return out;
}

VnString VnConfigFile::_value(const VnString& current, const VnString& self, const VnString& text) const {
    const std::int64_t allowance = expansionAllowance(text.length());
    VnWarnings warnings;
    Expansion expansion(*this, allowance, allowance, warnings);
    const VnString out = expansion.run(nullptr, VnString(""), current, self, text);
    warnings.finish();
    return out;
}

std::int64_t VnConfigFile::expansionAllowance(std::int64_t size) {
    constexpr std::int64_t kLeast = 1LL * 1024 * 1024, kMost = 64LL * 1024 * 1024;
    return std::min(kMost, kLeast + 64 * std::max<std::int64_t>(size, 0));
}

// Values without a reference stay as they are. The sections are taken the last made first; a
// value that another one read, and so expanded already, is passed.
void VnConfigFile::expandSections(const std::vector<VnConfig*>& made, std::int64_t allowance,
                                  VnWarnings& warnings) {
    Expansion expansion(*this, allowance, kMaxExpansion, warnings);
    for (VnConfig* section : made)
        expansion.storeInto(*section);
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        VnConfig& section = **it;
        VnStringList keys;
        section.labels(keys);
        for (int i = 0; i < keys.length(); ++i) {
            const VnString& key = *keys.get(i);
            if (!section.option(key).haschar('$') || expansion.expanded(section, key)) continue;
            expansion.run(&section, key, section.name(), section.name(), section.option(key));
        }
    }
}
