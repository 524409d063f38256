#include "system/VnConfigFile.h"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

#include "base/VnTypes.h"
#include "job/VnRange.h"
#include "system/VnFile.h"

namespace {

// What a stored option, a made section or a name from a header is taken to cost in memory,
// beside its text; a string holds about four times its length.
constexpr std::int64_t kOptionCost = 128;
constexpr std::int64_t kSectionCost = 1024;
constexpr std::int64_t kNameCost = 64;
// What looking a reference up is taken to cost in an expansion, beside the text it scans.
constexpr std::int64_t kReferenceCost = 64;

std::int64_t textCost(std::int64_t length) {
    return 4 * length;
}

// ---- File tokens ------------------------------------------------------------------------

// A token keeps its kind, so a quoted or braced text is never taken for a delimiter.
enum class Kind { Delimiter, Word, Text };

struct FileToken {
    int start;  // in FileTokens::_chars
    int length;
    Kind kind;
};

// The tokens of a text, their characters kept one after another in one buffer.
class FileTokens {
public:
    explicit FileTokens(const VnString& text);

    std::size_t size() const { return _tokens.size(); }
    VnString text(std::size_t i) const {
        return VnString(_chars.data() + _tokens[i].start, _tokens[i].length);
    }
    bool is(std::size_t i, Kind kind, const char* text) const {
        const FileToken& t = _tokens[i];
        return t.kind == kind && _chars.compare(std::size_t(t.start), std::size_t(t.length), text) == 0;
    }
    bool isDelimiter(std::size_t i, const char* text) const { return is(i, Kind::Delimiter, text); }

private:
    void push(Kind kind, int start) {
        _tokens.push_back({start, static_cast<int>(_chars.size()) - start, kind});
    }
    void delimiter(char c) {
        const int start = static_cast<int>(_chars.size());
        _chars += c;
        push(Kind::Delimiter, start);
    }
    int braced(const char* s, int n, int p);
    int quoted(const char* s, int n, int p);
    int word(const char* s, int n, int p);

    std::string _chars;
    std::vector<FileToken> _tokens;
};

bool isFileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

bool isOneOf(char c, const char* set) {
    return std::memchr(set, c, std::strlen(set)) != nullptr;
}

bool endsWord(char c) {
    return isOneOf(c, " \t\r\n\":[]={}\\#");
}

FileTokens::FileTokens(const VnString& raw) {
    const VnString text = raw.removecontrolchars();
    const char* s = text.value();
    const int n = text.length();
    for (int p = 0;;) {
        const int blanks = p;
        while (p < n && isFileBlank(s[p]))
            ++p;
        if (p >= n) {
            if (p > blanks) push(Kind::Word, static_cast<int>(_chars.size()));  // blanks ran to the end
            return;
        }
        const char c = s[p];
        if (c == '#') {
            while (p < n && s[p] != '\n')
                ++p;
        } else if (c == '{') {
            p = braced(s, n, p + 1);
        } else if (c == '"') {
            p = quoted(s, n, p + 1);
        } else if (isOneOf(c, "\n:[]=}\\")) {
            delimiter(c);
            ++p;
        } else {
            p = word(s, n, p);
        }
    }
}

// Up to the next "}", which is passed; "\}" stands for "}". Braces do not nest.
int FileTokens::braced(const char* s, int n, int p) {
    const int start = static_cast<int>(_chars.size());
    for (; p < n && s[p] != '}'; ++p) {
        if (s[p] == '\\' && p + 1 < n && s[p + 1] == '}') ++p;
        _chars += s[p];
    }
    push(Kind::Text, start);
    return p < n ? p + 1 : p;
}

// Up to the next double quote or line feed, which is passed; a backslash before a double quote
// is dropped. The content stands between two double-quote tokens.
int FileTokens::quoted(const char* s, int n, int p) {
    delimiter('"');
    const int start = static_cast<int>(_chars.size());
    for (; p < n && s[p] != '"' && s[p] != '\n'; ++p) {
        if (s[p] == '\\' && p + 1 < n && s[p + 1] == '"') ++p;
        _chars += s[p];
    }
    push(Kind::Text, start);
    delimiter('"');
    return p < n ? p + 1 : p;
}

int FileTokens::word(const char* s, int n, int p) {
    const int start = static_cast<int>(_chars.size());
    for (; p < n && !endsWord(s[p]); ++p)
        _chars += s[p];
    push(Kind::Word, start);
    return p;
}

// What one parse of a text may still store, in the units of kMaxParseSize.
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
        cost += kOptionCost + textCost(keys.get(i)->length() + section.option(*keys.get(i)).length());
    return cost;
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
            while (_at < _n && isBlank(_s[_at]))
                ++_at;
        } else if (isSingle(_s[_at])) {
            ++_at;
        } else {
            while (_at < _n && !isBlank(_s[_at]) && !isSingle(_s[_at]))
                ++_at;
        }
        token.data = _s + start;
        token.length = _at - start;
        return true;
    }
    int at() const { return _at; }
    void seek(int at) { _at = at; }

private:
    static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
    static bool isSingle(char c) { return c == '.' || c == '{' || c == '}' || c == '\\' || c == '$'; }

    const char* _s;
    int _n;
    int _at = 0;
};

// The state of one expansion: the references under way and what may still be scanned and made.
class VnConfigFile::Expansion {
public:
    explicit Expansion(std::int64_t allowance) : _left(allowance) {}

    // Scanning costs its length, whether or not anything is left.
    void scan(std::int64_t length) { _left -= length; }
    // True while something is left; the first time nothing is, warns once.
    bool left() {
        if (_left > 0) return true;
        if (!_warned)
            std::cerr << "WARNING: references expand too far... leaving the rest empty." << std::endl;
        _warned = true;
        return false;
    }
    // Appends text when something is left, at the cost of its length.
    void append(VnString& out, const VnString& text) {
        if (!left()) return;
        _left -= text.length();
        out += text;
    }
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
    bool _warned = false;
};

// ---- Parsing ----------------------------------------------------------------------------

// Walks the tokens of one text, making and filling sections; remembers the sections it made.
class VnConfigFile::Parser {
public:
    Parser(VnConfigFile& file, const VnString& text) : _file(file), _tokens(text), _budget(kMaxParseSize) {}

    // Reads statements and headers until the tokens end or a statement breaks off.
    void run() {
        pushName(_current, "localhost");
        while (_at < _tokens.size()) {
            if (_tokens.isDelimiter(_at, "\n")) {
                ++_at;
                continue;
            }
            if (!(_tokens.isDelimiter(_at, "[") ? header() : statement())) return;
        }
    }
    const std::vector<VnConfig*>& made() const { return _made; }
    std::int64_t spent() const { return _budget.spent(); }

private:
    static void pushName(VnStringList& list, const VnString& name) {
        std::unique_ptr<VnString> copy(new VnString(name));
        if (list.push(copy.get())) copy.release();
    }
    bool more() const { return _at < _tokens.size(); }

    bool header();
    bool parents(const VnString& headerText);
    bool statement();
    void value(VnString& out);
    bool store(VnConfig* section, const VnString& key, const VnString& value);
    VnConfig* section(const VnString& name);

    VnConfigFile& _file;
    FileTokens _tokens;
    std::size_t _at = 0;
    VnStringList _current;
    std::vector<VnConfig*> _made;
    Budget _budget;
};

// "[" to the matching "]": the joined tokens between are a pattern of section names.
bool VnConfigFile::Parser::header() {
    VnString text("");
    int depth = 1;
    for (++_at; more(); ++_at) {
        if (_tokens.isDelimiter(_at, "[")) ++depth;
        if (_tokens.isDelimiter(_at, "]") && --depth == 0) {
            ++_at;
            break;
        }
        text += _tokens.text(_at);
    }
    _current.clear();
    VnRange::patternsplit(0, text, _current, kMaxHeaderSections, _budget.left() / 4);
    for (int i = 0; i < _current.length(); ++i) {
        const VnString& name = *_current.get(i);
        if (!_budget.spend(kNameCost + textCost(name.length())) || !section(name)) return false;
    }
    if (more() && _tokens.isDelimiter(_at, ":")) return parents(text);
    return true;
}

// The names after ":" to the end of the line; each parent's options go to every current section.
bool VnConfigFile::Parser::parents(const VnString& headerText) {
    for (++_at; more() && !_tokens.isDelimiter(_at, "\n"); ++_at) {
        const VnString name = _tokens.text(_at);
        const VnConfig* parent = _file.config(name);
        if (!parent) {
            std::cerr << "WARNING: " << headerText << " missing parent " << name << "... skipping."
                      << std::endl;
            continue;
        }
        const std::int64_t cost = optionsCost(*parent);
        for (int i = 0; i < _current.length(); ++i) {
            VnConfig* child = section(*_current.get(i));
            if (!child || !_budget.spend(cost)) return false;
            child->inherit(*parent);
        }
    }
    return true;
}

// key = value, or section . key = value. False when the statement breaks off.
bool VnConfigFile::Parser::statement() {
    VnString key = _tokens.text(_at++);
    VnString target;
    const bool targeted = more() && _tokens.is(_at, Kind::Word, ".");
    if (targeted) {
        target = key;
        if (++_at >= _tokens.size()) return false;
        key = _tokens.text(_at++);
    }
    if (!more() || !_tokens.isDelimiter(_at, "=")) return false;
    ++_at;
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
    if (more() && _tokens.isDelimiter(_at, "\"")) {
        for (++_at; more() && !_tokens.isDelimiter(_at, "\""); ++_at)
            out += _tokens.text(_at);
        if (more()) ++_at;
        return;
    }
    for (; more() && !_tokens.isDelimiter(_at, "\n"); ++_at)
        out += _tokens.text(_at);
}

// Stores value, localised for the section, under key; false when the budget is spent.
bool VnConfigFile::Parser::store(VnConfig* section, const VnString& key, const VnString& value) {
    if (!section) return false;
    const VnString local = value.haschar('$') ? _localvalue(section->name(), value) : value;
    if (!_budget.spend(kOptionCost + textCost(key.length() + local.length()))) return false;
    section->option(key, local);
    return true;
}

// The section of that name, made and remembered when missing; null when the budget is spent.
VnConfig* VnConfigFile::Parser::section(const VnString& name) {
    if (VnConfig* found = _file.config(name)) return found;
    if (!_budget.spend(kSectionCost + textCost(name.length()))) return nullptr;
    std::unique_ptr<VnConfig> made(new VnConfig());
    made->name(name);
    if (!_file._sections.set(made.get(), name)) return nullptr;
    _made.push_back(made.release());
    return _made.back();
}

// ---- The file ---------------------------------------------------------------------------

VnConfigFile::VnConfigFile() = default;

VnConfigFile::VnConfigFile(const VnString& path) {
    parse(VnFile::load(path));
}

VnConfigFile::~VnConfigFile() = default;

int VnConfigFile::type() {
    return VN_TYPE_CONFIG_FILE;
}

void VnConfigFile::parse(const VnString& text) {
    Parser parser(*this, text);
    parser.run();
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
    const FileTokens tokens(text);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        std::unique_ptr<VnString> token(new VnString(tokens.text(i)));
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
    Expansion expansion(expansionAllowance(text.length()));
    VnString out("");
    expandInto(out, current, self, text, expansion);
    return out;
}

std::int64_t VnConfigFile::expansionAllowance(std::int64_t size) {
    constexpr std::int64_t kLeast = 1LL * 1024 * 1024, kMost = 64LL * 1024 * 1024;
    return std::min(kMost, kLeast + 64 * std::max<std::int64_t>(size, 0));
}

// Values without a reference stay as they are. Each value is stored once expanded, so the
// sections expanded later meet it expanded.
void VnConfigFile::expandSections(const std::vector<VnConfig*>& made, std::int64_t allowance) {
    Expansion expansion(allowance);
    for (auto it = made.rbegin(); it != made.rend(); ++it) {
        VnConfig& section = **it;
        VnStringList keys;
        section.labels(keys);
        for (int i = 0; i < keys.length(); ++i) {
            const VnString& key = *keys.get(i);
            if (!section.option(key).haschar('$')) continue;
            VnString out("");
            expansion.enter(&section, key);
            expandInto(out, section.name(), section.name(), section.option(key), expansion);
            expansion.leave();
            section.option(key, out);
        }
    }
}

void VnConfigFile::expandInto(VnString& out, const VnString& current, const VnString& self,
                              const VnString& text, Expansion& expansion) const {
    expansion.scan(text.length());
    ValueScanner scan(text);
    ValueScanner::Token token;
    while (scan.next(token)) {
        if (!token.is('$')) {
            out.append(token.data, token.length);
        } else if (!reference(out, current, self, scan, expansion)) {
            return;
        }
    }
}

// "$" name, or "$" section "." key, each optionally between "{" and "}". A name that is no
// section before a "." is dropped with the "$" and the "{", the "." copied as text.
bool VnConfigFile::reference(VnString& out, const VnString& current, const VnString& self, ValueScanner& scan,
                             Expansion& expansion) const {
    expansion.scan(kReferenceCost);
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
            return true;
        }
        const VnString key = scan.next(token) ? token.text() : VnString("");
        if (key == VnString("_")) {
            expansion.append(out, name);
        } else {
            follow(out, current, *section, name, key, expansion);
        }
    } else {
        scan.seek(afterName);
        if (name == VnString("_")) {
            expansion.append(out, current);
        } else if (const VnConfig* section = config(current)) {
            expansion.append(out, section->option(name));
        }
    }
    const int afterReference = scan.at();
    if (braced && !(scan.next(token) && token.is('}'))) scan.seek(afterReference);
    return true;
}

void VnConfigFile::follow(VnString& out, const VnString& current, const VnConfig& section,
                          const VnString& name, const VnString& key, Expansion& expansion) const {
    if (!section.exists(key) || !expansion.open(&section, key) || !expansion.left()) return;
    expansion.enter(&section, key);
    expandInto(out, current, name, section.option(key), expansion);
    expansion.leave();
}
