#include "system/VnConfigFile.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include "base/VnTypes.h"
#include "job/VnRange.h"
#include "system/VnConfigFileTokens.h"

namespace {

// What the parse's stores take in memory. A string object made on the heap takes its own block
// and the heap buffer of its text, if any. An option takes its key and its value, and its share
// of the table's slots.
constexpr std::int64_t kStringCost = sizeof(VnString) + VnString::kBlockOverhead;
constexpr std::int64_t kSlotsCost = 128;
constexpr std::int64_t kSectionCost = 1024;
// What finding a section and handing it a parent's options is taken to cost, beside the copies.
constexpr std::int64_t kInheritCost = 64;
// What looking a reference up is taken to cost in an expansion, beside the text it reads.
constexpr std::int64_t kReferenceCost = 64;

std::int64_t stringCost(std::int64_t length) {
    return kStringCost + VnString::heapCost(length);
}

std::int64_t optionCost(const VnString& key, const VnString& value) {
    return kSlotsCost + stringCost(key.length()) + stringCost(value.length());
}

using Kind = VnConfigFileTokens::Kind;

// What one parse of a text may still store, in bytes of memory (see parseAllowance).
class Budget {
public:
    explicit Budget(std::int64_t size) : _left(size), _size(size) {}

    // False, once with a warning, when cost is more than what is left.
    bool spend(std::int64_t cost) {
        if (cost <= _left) {
            _left -= cost;
            return true;
        }
        if (_left >= 0)
            std::cerr << "WARNING: configuration text too large... skipping the rest." << std::endl;
        _left = -1;
        return false;
    }
    std::int64_t left() const { return std::max<std::int64_t>(_left, 0); }
    std::int64_t spent() const { return _size - left(); }
    bool stopped() const { return _left < 0; }

private:
    std::int64_t _left;
    std::int64_t _size;
};

// What storing the options of section once more costs.
std::int64_t optionsCost(const VnConfig& section) {
    VnStringList keys;
    section.labels(keys);
    std::int64_t cost = 0;
    for (int i = 0; i < keys.length(); ++i)
        cost += optionCost(*keys.get(i), section.option(*keys.get(i)));
    return cost;
}

// "section.key", as a reference names a value.
VnString dotted(const VnString& section, const VnString& key) {
    VnString text(section);
    text += ".";
    text += key;
    return text;
}

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

// The state of the expansion of one value: the references under way, and what may still be
// made, by this value and by all the values of its parse together (shared). Every byte the
// value receives is charged to both, and so is every reference read (kReferenceCost and its
// own text), so a value never passes its allowance nor the values of a parse the shared one.
class VnConfigFile::Expansion {
public:
    // label names the value in the warning ("section.key"); it may be empty.
    Expansion(std::int64_t allowance, std::int64_t& shared, const VnString& label)
        : _left(allowance), _shared(shared), _label(label) {}

    // Charges cost when both allowances hold it; else warns, the first time, and from then on
    // charges and appends nothing: the rest of the value stays empty.
    bool charge(std::int64_t cost) {
        if (!_cut && cost <= _left && cost <= _shared) {
            _left -= cost;
            _shared -= cost;
            return true;
        }
        if (!_cut) {
            std::cerr << "WARNING: " << _label << (_label.length() ? " " : "")
                      << "references expand too far... leaving the rest empty." << std::endl;
        }
        _cut = true;
        return false;
    }
    bool cut() const { return _cut; }
    // Appends length bytes of data when they are charged.
    bool append(VnString& out, const char* data, int length) {
        if (!charge(length)) return false;
        out.append(data, length);
        return true;
    }
    bool append(VnString& out, const VnString& text) { return append(out, text.value(), text.length()); }
    // 1 when the value of key in section may be followed: not under way, not too deep.
    bool open(const VnConfig* section, const VnString& key) const {
        if (_open.size() >= static_cast<std::size_t>(kMaxDepth)) return false;
        for (const auto& entry : _open) {
            if (entry.first == section && entry.second == key) return false;
        }
        return true;
    }
    void enter(const VnConfig* section, const VnString& key) { _open.emplace_back(section, key); }
    void leave() { _open.pop_back(); }

private:
    std::vector<std::pair<const VnConfig*, VnString>> _open;
    std::int64_t _left;
    std::int64_t& _shared;
    VnString _label;
    bool _cut = false;
};

// ---- Parsing ----------------------------------------------------------------------------

// Walks the tokens of one text, making and filling sections; remembers the sections it made.
class VnConfigFile::Parser {
public:
    Parser(VnConfigFile& file, const VnString& text)
        : _file(file), _tokens(text), _budget(parseAllowance(text.length())) {}

    // Reads statements and headers until the tokens end or a statement breaks off.
    void run() {
        pushName(_current, "localhost");
        while (_tokens.more()) {
            if (_tokens.isDelimiter("\n")) {
                _tokens.next();
                continue;
            }
            if (!(_tokens.isDelimiter("[") ? header() : statement())) return;
        }
    }
    const std::vector<VnConfig*>& made() const { return _made; }
    std::int64_t spent() const { return _budget.spent(); }
    bool stopped() const { return _budget.stopped(); }

private:
    static void pushName(VnStringList& list, const VnString& name) {
        std::unique_ptr<VnString> copy(new VnString(name));
        if (list.push(copy.get())) copy.release();
    }
    // The token at hand, and a step past it.
    VnString take() {
        VnString text = _tokens.text();
        _tokens.next();
        return text;
    }

    bool header();
    bool parents(const VnString& headerText);
    bool inherit(const VnConfig& parent);
    bool statement();
    void value(VnString& out);
    bool store(VnConfig* section, const VnString& key, const VnString& value);
    VnConfig* section(const VnString& name);

    VnConfigFile& _file;
    VnConfigFileTokens _tokens;
    VnStringList _current;
    std::vector<VnConfig*> _made;
    Budget _budget;
};

// "[" to the matching "]": the joined tokens between are a pattern of section names.
bool VnConfigFile::Parser::header() {
    VnString text("");
    int depth = 1;
    for (_tokens.next(); _tokens.more(); _tokens.next()) {
        if (_tokens.isDelimiter("[")) ++depth;
        if (_tokens.isDelimiter("]") && --depth == 0) {
            _tokens.next();
            break;
        }
        text.append(_tokens.chars().data(), static_cast<int>(_tokens.chars().size()));
    }
    _current.clear();
    VnRange::patternsplit(0, text, _current, kMaxHeaderSections, _budget.left() / 4);
    for (int i = 0; i < _current.length(); ++i) {
        const VnString& name = *_current.get(i);
        if (!_budget.spend(stringCost(name.length()) + 8) || !section(name)) return false;
    }
    if (_tokens.isDelimiter(":")) return parents(text);
    return true;
}

// The names after ":" to the end of the line; each parent's options go to every current section.
bool VnConfigFile::Parser::parents(const VnString& headerText) {
    for (_tokens.next(); _tokens.more() && !_tokens.isDelimiter("\n"); _tokens.next()) {
        const VnString name = _tokens.text();
        const VnConfig* parent = _file.config(name);
        if (!parent) {
            std::cerr << "WARNING: " << headerText << " missing parent " << name << "... skipping."
                      << std::endl;
            continue;
        }
        if (!inherit(*parent)) return false;
    }
    return true;
}

// Copies the options of parent into every current section. Each copy is charged what the
// option takes in memory, also where it replaces an equal one, and each section at least
// kInheritCost, so that naming a parent again and again costs as much as it works. Without a
// current section nothing is copied or counted.
bool VnConfigFile::Parser::inherit(const VnConfig& parent) {
    if (_current.length() == 0) return true;
    const std::int64_t cost = kInheritCost + optionsCost(parent);
    for (int i = 0; i < _current.length(); ++i) {
        VnConfig* child = section(*_current.get(i));
        if (!child || !_budget.spend(cost)) return false;
        child->inherit(parent);
    }
    return true;
}

// key = value, or section . key = value. False when the statement breaks off.
bool VnConfigFile::Parser::statement() {
    VnString key = take();
    VnString target;
    const bool targeted = _tokens.is(Kind::Word, ".");
    if (targeted) {
        target = key;
        _tokens.next();
        if (!_tokens.more()) return false;
        key = take();
    }
    if (!_tokens.isDelimiter("=")) return false;
    _tokens.next();
    VnString text("");
    value(text);
    if (targeted) return store(section(target), key, text);
    for (int i = 0; i < _current.length(); ++i) {
        if (!store(section(*_current.get(i)), key, text)) return false;
    }
    return true;
}

// A quoted text, or the tokens to the end of the line joined; empty when the line or the text
// ends right after the "=". The line feed stays for the walk.
void VnConfigFile::Parser::value(VnString& out) {
    const bool quoted = _tokens.isDelimiter("\"");
    if (quoted) _tokens.next();
    for (; _tokens.more() && !_tokens.isDelimiter(quoted ? "\"" : "\n"); _tokens.next())
        out.append(_tokens.chars().data(), static_cast<int>(_tokens.chars().size()));
    if (quoted && _tokens.more()) _tokens.next();
}

// Stores value, localised for the section, under key; false when the budget is spent.
bool VnConfigFile::Parser::store(VnConfig* section, const VnString& key, const VnString& value) {
    if (!section) return false;
    const VnString local = value.haschar('$') ? _localvalue(section->name(), value) : value;
    // A value that replaces another costs what its copy takes, though it adds less.
    const std::int64_t cost = section->exists(key) ? stringCost(local.length()) : optionCost(key, local);
    if (!_budget.spend(cost)) return false;
    section->option(key, local);
    return true;
}

// The section of that name, made and remembered when missing; null when the budget is spent.
VnConfig* VnConfigFile::Parser::section(const VnString& name) {
    if (VnConfig* found = _file.config(name)) return found;
    if (!_budget.spend(kSectionCost + 2 * stringCost(name.length()))) return nullptr;
    std::unique_ptr<VnConfig> made(new VnConfig());
    made->name(name);
    if (!_file._sections.set(made.get(), name)) return nullptr;
    _made.push_back(made.release());
    return _made.back();
}

// ---- The file ---------------------------------------------------------------------------

VnConfigFile::VnConfigFile() = default;

VnConfigFile::VnConfigFile(const VnString& path) {
    load(path);
}

VnConfigFile::~VnConfigFile() = default;

int VnConfigFile::type() {
    return VN_TYPE_CONFIG_FILE;
}

int VnConfigFile::load(const VnString& path) {
    VnString text("");
    if (!vn_config_read_file(path, text)) return 0;
    parse(text);
    return _stopped ? 0 : 1;
}

void VnConfigFile::parse(const VnString& text) {
    Parser parser(*this, text);
    parser.run();
    _stopped = parser.stopped();
    expandSections(parser.made(), expansionAllowance(parser.spent()));
}

VnConfig* VnConfigFile::config(const VnString& name) {
    return _sections.get(name);
}

const VnConfig* VnConfigFile::config(const VnString& name) const {
    return _sections.get(name);
}

void VnConfigFile::keys(VnStringList& out) const {
    VnStringList names;
    _sections.copykeys(names);
    for (int i = 0; i < names.length(); ++i) {
        if (out.push(names.get(i))) names.set(nullptr, i);
    }
}

VnConfigHash VnConfigFile::export_hash() const {
    VnConfigHash copy;
    copy.copy(_sections);
    return copy;
}

void VnConfigFile::release() {
    _sections.release();
}

void VnConfigFile::display() const {
    VnStringList names;
    _sections.copykeys(names);
    for (int i = 0; i < names.length(); ++i) {
        const VnConfig& section = *_sections.get(*names.get(i));
        std::cout << "[" << *names.get(i) << "]\n";
        VnStringList keys;
        section.labels(keys);
        for (int k = 0; k < keys.length(); ++k)
            std::cout << *keys.get(k) << " = '" << section.option(*keys.get(k)) << "'\n";
    }
    std::cout.flush();
}

void VnConfigFile::tokenize(const VnString& text, VnStringList& out) {
    for (VnConfigFileTokens tokens(text); tokens.more(); tokens.next()) {
        std::unique_ptr<VnString> token(new VnString(tokens.text()));
        if (out.push(token.get())) token.release();
    }
}

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
    std::int64_t shared = expansionAllowance(text.length());
    Expansion expansion(shared, shared, VnString(""));
    VnString out("");
    expandInto(out, current, self, text, expansion);
    return out;
}

std::int64_t VnConfigFile::parseAllowance(std::int64_t length) {
    constexpr std::int64_t kLeast = 128LL * 1024 * 1024, kMost = 1024LL * 1024 * 1024;
    return std::min(kMost, std::max(kLeast, 16 * length));
}

std::int64_t VnConfigFile::expansionAllowance(std::int64_t size) {
    constexpr std::int64_t kLeast = 1LL * 1024 * 1024, kMost = 64LL * 1024 * 1024;
    return std::min(kMost, kLeast + 64 * std::max<std::int64_t>(size, 0));
}

// Values without a reference stay as they are. Each value is stored once expanded, so the
// sections expanded later meet it expanded. Each value has the allowance to itself, within
// what all of them may do together.
void VnConfigFile::expandSections(const std::vector<VnConfig*>& made, std::int64_t allowance) {
    std::int64_t shared = kMaxExpansion;
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        VnConfig& section = **it;
        VnStringList keys;
        section.labels(keys);
        for (int i = 0; i < keys.length(); ++i) {
            const VnString& key = *keys.get(i);
            if (!section.option(key).haschar('$')) continue;
            VnString out("");
            Expansion expansion(allowance, shared, dotted(section.name(), key));
            expansion.enter(&section, key);
            expandInto(out, section.name(), section.name(), section.option(key), expansion);
            expansion.leave();
            section.option(key, out);
        }
    }
}

// Stops where the expansion is cut, so that no text past that point is read.
void VnConfigFile::expandInto(VnString& out, const VnString& current, const VnString& self,
                              const VnString& text, Expansion& expansion) const {
    ValueScanner scan(text);
    ValueScanner::Token token;
    while (scan.next(token)) {
        const bool more = token.is('$') ? reference(out, current, self, scan, expansion)
                                        : expansion.append(out, token.data, token.length);
        if (!more) return;
    }
}

// "$" name, or "$" section "." key, each optionally between "{" and "}". A name that is no
// section before a "." is dropped with the "$" and the "{", the "." copied as text. The text
// read and the look-up are charged before anything is appended.
bool VnConfigFile::reference(VnString& out, const VnString& current, const VnString& self, ValueScanner& scan,
                             Expansion& expansion) const {
    const int start = scan.at();
    const auto charge = [&] { return expansion.charge(kReferenceCost + scan.at() - start); };
    ValueScanner::Token token;
    if (!scan.next(token)) return false;
    const bool braced = token.is('{');
    if (braced && !scan.next(token)) return false;
    const VnString name = isSelf(token.text()) ? self : token.text();

    const int afterName = scan.at();
    if (scan.next(token) && token.is('.')) {
        const VnConfig* section = config(name);
        if (!section) {
            scan.seek(afterName);
            return charge();
        }
        const VnString key = scan.next(token) ? token.text() : VnString("");
        if (!charge()) return false;
        if (key == VnString("_")) {
            expansion.append(out, name);
        } else {
            follow(out, current, *section, name, key, expansion);
        }
    } else {
        scan.seek(afterName);
        if (!charge()) return false;
        if (name == VnString("_")) {
            expansion.append(out, current);
        } else if (const VnConfig* section = config(current)) {
            expansion.append(out, section->option(name));
        }
    }
    const int afterReference = scan.at();
    if (braced && !(scan.next(token) && token.is('}'))) scan.seek(afterReference);
    return !expansion.cut();
}

void VnConfigFile::follow(VnString& out, const VnString& current, const VnConfig& section,
                          const VnString& name, const VnString& key, Expansion& expansion) const {
    if (!section.exists(key) || !expansion.open(&section, key)) return;
    expansion.enter(&section, key);
    expandInto(out, current, name, section.option(key), expansion);
    expansion.leave();
}
