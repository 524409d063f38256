#include "system/VnConfigFile.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <iostream>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

#include "base/VnTypes.h"
#include "job/VnRange.h"
#include "system/VnConfigFileTokens.h"
#include "system/VnConfigFileValueTokens.h"
#include "system/VnWarnings.h"

namespace {

// What the parse's stores take in memory. A string object made on the heap takes its own block
// and the heap buffer of its text, if any. An option takes its key and its value, and its share
// of the table's slots.
constexpr std::int64_t kStringCost = sizeof(VnString) + VnString::kBlockOverhead;
constexpr std::int64_t kSlotsCost = 128;
constexpr std::int64_t kSectionCost = 1024;
// What finding a section and handing it a parent's options is taken to cost, beside the copies.
constexpr std::int64_t kInheritCost = 64;
// What a section a header names takes beside its name: its place in the current list and two
// slots of the table that finds it named again.
constexpr std::int64_t kCurrentCost = 3 * 8;

std::int64_t stringCost(std::int64_t length) {
    return kStringCost + VnString::heapCost(length);
}

std::int64_t optionCost(const VnString& key, std::int64_t valueLength) {
    return kSlotsCost + stringCost(key.length()) + stringCost(valueLength);
}

using Kind = VnConfigFileTokens::Kind;

// What one parse of a text may still store, in bytes of memory (see parseAllowance).
class Budget {
public:
    Budget(std::int64_t size, VnWarnings& warnings) : _left(size), _size(size), _warnings(warnings) {}

    // False, once with a warning, when cost is more than what is left.
    bool spend(std::int64_t cost) {
        if (cost <= _left) {
            _left -= cost;
            return true;
        }
        if (_left >= 0) _warnings.last("WARNING: configuration text too large... skipping the rest.");
        _left = -1;
        return false;
    }
    std::int64_t left() const { return std::max<std::int64_t>(_left, 0); }
    std::int64_t spent() const { return _size - left(); }
    bool stopped() const { return _left < 0; }

private:
    std::int64_t _left;
    std::int64_t _size;
    VnWarnings& _warnings;
};

// What storing the options of section once more costs.
std::int64_t optionsCost(const VnConfig& section) {
    VnStringList keys;
    section.labels(keys);
    std::int64_t cost = 0;
    for (int i = 0; i < keys.length(); ++i)
        cost += optionCost(*keys.get(i), section.option(*keys.get(i)).length());
    return cost;
}

// The sections one header named, by address, so that a name repeated makes its section current
// once: open addressing over a table made once, at least twice as large as what it will hold,
// so that no insertion allocates. The addresses are the library's own, not chosen by the text.
class SectionSet {
public:
    // Room for most sections.
    explicit SectionSet(int most) {
        while ((std::size_t(1) << _bits) < 2 * static_cast<std::size_t>(most))
            ++_bits;
        _slots.assign(std::size_t(1) << _bits, nullptr);
    }
    bool contains(const VnConfig* section) const { return _slots[slot(section)] == section; }
    // Adds a section not held yet, while fewer than most are held.
    void insert(const VnConfig* section) {
        _slots[slot(section)] = section;
        ++_size;
    }
    int size() const { return _size; }

private:
    // Where section is, or the free slot where it would go.
    std::size_t slot(const VnConfig* section) const {
        const std::size_t mask = _slots.size() - 1;
        std::size_t at = (reinterpret_cast<std::uintptr_t>(section) * 0x9E3779B97F4A7C15ULL) >> (64 - _bits);
        while (_slots[at] && _slots[at] != section)
            at = (at + 1) & mask;
        return at;
    }

    int _bits = 4;
    std::vector<const VnConfig*> _slots;
    int _size = 0;
};

}  // namespace

// ---- Parsing ----------------------------------------------------------------------------

// Walks the tokens of one text, making and filling sections; remembers the sections it made.
class VnConfigFile::Parser {
public:
    Parser(VnConfigFile& file, const VnString& text, VnWarnings& warnings)
        : _file(file), _tokens(text), _budget(parseAllowance(text.length()), warnings), _warnings(warnings) {}

    // Reads statements and headers until the tokens end or a statement breaks off.
    void run() {
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
    // The token at hand, and a step past it.
    VnString take() {
        VnString text = _tokens.text();
        _tokens.next();
        return text;
    }

    bool header();
    bool sections(const VnString& headerText);
    bool addCurrent(const VnString& name, SectionSet& named);
    bool stop();
    bool parents(const VnString& headerText);
    bool inherit(const VnConfig& parent);
    bool statement();
    bool localhost();
    void value(VnString& out);
    bool store(VnConfig* section, const VnString& key, const VnString& value);
    std::int64_t selfFormLength(const VnConfig* section);
    const VnString& selfForm();
    VnConfig* section(const VnString& name);
    VnConfig* make(const VnString& name);

    VnConfigFile& _file;
    VnConfigFileTokens _tokens;
    // The sections that statements without a section name fill, held rather than named, so
    // that a statement costs nothing for the length of their names.
    std::vector<VnConfig*> _current;
    bool _beforeHeader = true;  // the current section is "localhost", made when first filled
    std::vector<VnConfig*> _made;
    // What stands for "self" in the values of the section last stored into with one: its length
    // decided once for the section, its text (never empty) made at its first use.
    const VnConfig* _formOf = nullptr;
    std::int64_t _formLength = 0;
    VnString _form;
    Budget _budget;
    VnWarnings& _warnings;
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
    _beforeHeader = false;
    if (!sections(text)) return false;
    if (_tokens.isDelimiter(":")) return parents(text);
    return true;
}

// Makes the sections that the header text names the current ones, each once however often the
// header names it. The list of their names is held beside what the parse stores, at most what is
// left of the allowance; where it does not hold every name, the parse stops with its warning once
// the names it holds are made, so that no section of the header is left out unseen. A header
// that names more than kMaxHeaderSections sections makes the first of them and stops the parse
// the same way.
bool VnConfigFile::Parser::sections(const VnString& headerText) {
    VnStringList names;
    const bool whole = VnRange::patternsplit(0, headerText, names, INT_MAX, _budget.left());
    const int most = std::min(names.length(), kMaxHeaderSections);
    SectionSet named(most);
    _current.reserve(static_cast<std::size_t>(most));
    for (int i = 0; i < names.length(); ++i) {
        if (!addCurrent(*names.get(i), named)) return false;
    }
    return whole || stop();
}

// Makes the section of that name current unless the header named it before. Each name is
// charged as a string, each section the header adds its place in the current list and in
// named. False once the parse stopped: the budget is spent, or the section would pass
// kMaxHeaderSections.
bool VnConfigFile::Parser::addCurrent(const VnString& name, SectionSet& named) {
    if (!_budget.spend(stringCost(name.length()))) return false;
    VnConfig* found = _file.config(name);
    if (found && named.contains(found)) return true;
    if (named.size() >= kMaxHeaderSections) return stop();
    if (!_budget.spend(kCurrentCost)) return false;
    VnConfig* made = found ? found : make(name);
    if (!made) return false;
    named.insert(made);
    _current.push_back(made);
    return true;
}

// Stops the parse with the warning, as a store past the allowance does; answers false.
bool VnConfigFile::Parser::stop() {
    return _budget.spend(_budget.left() + 1);
}

// The names after ":" to the end of the line; each parent's options go to every current section.
bool VnConfigFile::Parser::parents(const VnString& headerText) {
    for (_tokens.next(); _tokens.more() && !_tokens.isDelimiter("\n"); _tokens.next()) {
        const VnString name = _tokens.text();
        const VnConfig* parent = _file.config(name);
        if (!parent) {
            _warnings.warn("WARNING: " + VnWarnings::quote(headerText) + " missing parent " +
                           VnWarnings::quote(name) + "... skipping.");
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
    if (_current.empty()) return true;
    const std::int64_t cost = kInheritCost + optionsCost(parent);
    for (VnConfig* child : _current) {
        if (!_budget.spend(cost)) return false;
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
    if (!localhost()) return false;
    for (VnConfig* section : _current) {
        if (!store(section, key, text)) return false;
    }
    return true;
}

// Before the first header, makes "localhost" the current section when it is not yet; false
// when the budget is spent.
bool VnConfigFile::Parser::localhost() {
    if (!_beforeHeader || !_current.empty()) return true;
    VnConfig* made = section("localhost");
    if (!made) return false;
    _current.push_back(made);
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

// Stores value, localised for the section, under key; false when the budget is spent. The
// localised value is charged before it is made: each "$self" grows by the section's name. A
// value costs the work of its own text, and the section's name only where it holds "self".
bool VnConfigFile::Parser::store(VnConfig* section, const VnString& key, const VnString& value) {
    if (!section) return false;
    const int selves = value.haschar('$') ? selfCount(value) : 0;
    const std::int64_t length =
        selves > 0 ? localLength(value, selves, selfFormLength(section)) : value.length();
    // A value that replaces another costs what its copy takes, though it adds less; one longer
    // than a string holds costs more than any allowance.
    std::int64_t cost = std::numeric_limits<std::int64_t>::max();
    if (length < INT_MAX) cost = section->exists(key) ? stringCost(length) : optionCost(key, length);
    if (!_budget.spend(cost)) return false;
    if (!section->option(key, selves > 0 ? localised(value, selfForm(), length) : value))
        throw std::bad_alloc();
    return true;
}

// The length of what stands for "self" in section's values, decided when the section differs
// from the last one asked for.
std::int64_t VnConfigFile::Parser::selfFormLength(const VnConfig* section) {
    if (section != _formOf) {
        _formOf = section;
        _formLength = VnConfigFileValueTokens::selfFormLength(section->name());
        _form = VnString("");
    }
    return _formLength;
}

// What stands for "self" in the values of the section last asked for by selfFormLength.
const VnString& VnConfigFile::Parser::selfForm() {
    if (_form.length() == 0) _form = VnConfigFileValueTokens::selfForm(_formOf->name());
    return _form;
}

// The section of that name, made and remembered when missing; null when the budget is spent.
VnConfig* VnConfigFile::Parser::section(const VnString& name) {
    if (VnConfig* found = _file.config(name)) return found;
    return make(name);
}

// A new section of that name, which the file does not hold yet; null when the budget is spent.
VnConfig* VnConfigFile::Parser::make(const VnString& name) {
    if (!_budget.spend(kSectionCost + 2 * stringCost(name.length()))) return nullptr;
    std::unique_ptr<VnConfig> made(new VnConfig());
    made->name(name);
    if (!_file._sections.set(made.get(), name)) throw std::bad_alloc();
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

// Memory that runs out however the allowances hold (what the machine has left is not known
// here) ends the load with 0, keeping what was read and expanded before.
int VnConfigFile::load(const VnString& path) {
    try {
        VnString text("");
        if (!vn_config_read_file(path, text)) return 0;
        parse(text);
        return _stopped ? 0 : 1;
    } catch (const std::bad_alloc&) {
        return 0;
    } catch (const std::length_error&) {
        return 0;
    }
}

void VnConfigFile::parse(const VnString& text) {
    VnWarnings warnings;
    Parser parser(*this, text, warnings);
    parser.run();
    _stopped = parser.stopped();
    expandValues(parser.made(), expansionAllowance(parser.spent()), warnings);
    warnings.finish();
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

std::int64_t VnConfigFile::parseAllowance(std::int64_t length) {
    constexpr std::int64_t kLeast = 128LL * 1024 * 1024, kMost = 1024LL * 1024 * 1024;
    return std::min(kMost, std::max(kLeast, 16 * length));
}
