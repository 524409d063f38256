#include "system/VnParam.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <new>

#include "base/VnTypes.h"

namespace {

const VnString kEmpty("");

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Equal lengths and equal bytes, NUL bytes included.
bool sameBytes(const VnString& a, const VnString& b) {
    return a.length() == b.length() &&
           std::memcmp(a.value(), b.value(), static_cast<std::size_t>(a.length())) == 0;
}

// The argument at i; a null slot reads as an empty argument.
const VnString& word(const VnStringList& args, int i) {
    const VnString* a = args.get(i);
    return a ? *a : kEmpty;
}

// An option word begins with "-" and is not an integer such as "-" or "-5".
bool isOptionWord(const VnString& a) {
    return a.get(0) == '-' && !a.isinteger();
}

// The word without all of its leading "-".
VnString typedName(const VnString& a) {
    int start = 0;
    while (start < a.length() && a.get(start) == '-')
        ++start;
    return VnString(a.value() + start, a.length() - start);
}

// True when every byte from start on is a digit 0-9, or one of them and "-" when
// dashes are allowed.
bool onlyDigits(const VnString& v, int start, bool dashes) {
    for (int k = start; k < v.length(); ++k) {
        const char c = v.get(k);
        if (!isDigit(c) && !(dashes && c == '-')) return false;
    }
    return true;
}

// A diff value is digits, after one optional "+" or "-" sign; a lone sign is
// not one. A second sign is refused too, so the amount read after the sign is
// always a magnitude.
bool isDiffValue(const VnString& v) {
    const char first = v.get(0);
    const bool hasSign = v.length() > 1 && (first == '+' || first == '-');
    return onlyDigits(v, hasSign ? 1 : 0, false);
}

void append(VnStringList& list, const char* text) {
    std::unique_ptr<VnString> item(new VnString(text ? text : ""));
    if (!list.push(item.get())) throw std::bad_alloc();
    item.release();
}

}  // namespace

VnParam::VnParam() : _name(""), _error(""), _help(nullptr), _version(nullptr) {
    defineFlag("help");
    defineFlag("version");
}

VnParam::~VnParam() = default;

int VnParam::type() {
    return VN_TYPE_PARAM;
}

int VnParam::_define(int tag, const VnString& name) {
    std::unique_ptr<VnOption> option(new VnOption(tag, name));
    if (!_options.push(option.get())) throw std::bad_alloc();
    option.release();
    return 1;
}

int VnParam::defineFlag(const VnString& name) {
    return _define(VnOption::FLAG, name);
}

int VnParam::defineStringOption(const VnString& name) {
    return _define(VnOption::STRING, name);
}

int VnParam::defineIntegerOption(const VnString& name) {
    return _define(VnOption::INTEGER, name);
}

int VnParam::defineDiffOption(const VnString& name) {
    return _define(VnOption::DIFF, name);
}

void VnParam::setHelp(void (*help)()) {
    _help = help;
}

void VnParam::setVersion(void (*version)()) {
    _version = version;
}

int VnParam::parse(VnStringList& args) {
    return parse(static_cast<const VnStringList&>(args));
}

int VnParam::parse(const VnStringList& args) {
    std::vector<VnString>().swap(_arguments);
    int i = 0;
    while (i < args.length() && isOptionWord(word(args, i))) {
        if (!_readOption(args, i)) return 0;
    }
    _arguments.reserve(static_cast<std::size_t>(args.length() - i));
    for (; i < args.length(); ++i)
        _arguments.push_back(word(args, i));
    _endWhenAsked();
    return 1;
}

int VnParam::parse(int argc, char** argv) {
    VnStringList args;
    if (argc >= 1 && argv) {
        _name = argv[0] ? argv[0] : "";
        for (int k = 1; k < argc; ++k)
            append(args, argv[k]);
    }
    return parse(static_cast<const VnStringList&>(args));
}

int VnParam::_readOption(const VnStringList& args, int& i) {
    const VnString& a = word(args, i++);
    VnOption* option = _choose(typedName(a), a);
    return option ? _readValue(*option, a, args, i) : 0;
}

// Walks the options in order. Every option that the typed name prefixes
// matches with the same length, so a second one is a tie, unless one of them
// is the exact name, which is taken at once.
VnOption* VnParam::_choose(const VnString& typed, const VnString& a) {
    VnOption* choice = nullptr;
    int best = 0;
    int ties = 0;
    for (int k = 0; k < _options.length(); ++k) {
        VnOption* option = _options.get(k);
        const int m = option->match(typed);
        if (m == best) ++ties;
        if (sameBytes(option->name(), typed)) {
            choice = option;
            best = m;
            ties = 0;
            break;
        }
        if (m > best) {
            choice = option;
            best = m;
            ties = 0;
        }
    }
    if (best == 0) {
        _fail("ERROR: unknown option ", a, "\n");
        return nullptr;
    }
    if (ties > 0) {
        _fail("ERROR: ambiguous option '", a, "'\n\tcould be:\n");
        for (int k = 0; k < _options.length(); ++k) {
            const VnOption* option = _options.get(k);
            if (option->match(typed) != best) continue;
            _error += "\t\t-";
            _error += option->name();
            _error += "\n";
        }
        return nullptr;
    }
    return choice;
}

int VnParam::_readValue(VnOption& option, const VnString& a, const VnStringList& args, int& i) {
    const int kind = option.tag();
    if (kind == VnOption::STRING || kind == VnOption::INTEGER || kind == VnOption::DIFF) {
        if (i >= args.length()) return _fail("ERROR: parameter '", a, "' missing input\n");
        const VnString& v = word(args, i++);
        if (kind == VnOption::INTEGER) {
            if (v.length() == 0) return _fail("ERROR: option expects an integer '", a, "'");
            if (!onlyDigits(v, 0, true)) return _fail("ERROR: parameter '", v, "' is not an integer\n");
        } else if (kind == VnOption::DIFF) {
            if (v.length() == 0) return _fail("ERROR: parameter '", a, "' is blank\n");
            if (!isDiffValue(v)) return _fail("ERROR: parameter '", a, "' is not an integer\n");
        }
        option.value(v);
    }
    option.exists(1);
    return 1;
}

void VnParam::_endWhenAsked() const {
    const VnOption* help = find("help");
    if (help && help->exists()) {
        if (_help) _help();
        std::exit(0);
    }
    const VnOption* version = find("version");
    if (version && version->exists()) {
        if (_version) _version();
        std::exit(0);
    }
}

int VnParam::_fail(const char* before, const VnString& quoted, const char* after) {
    _error = before;
    _error += quoted;
    _error += after;
    return 0;
}

int VnParam::length() const {
    return static_cast<int>(_arguments.size());
}

const VnString& VnParam::arg(int i) const {
    if (i < 0 || i >= length()) return _name;
    return _arguments[static_cast<std::size_t>(i)];
}

const VnString& VnParam::name() const {
    return _name;
}

const VnString& VnParam::error() const {
    return _error;
}

int VnParam::defined(const VnString& name) const {
    return find(name) ? 1 : 0;
}

const VnOption* VnParam::find(const VnString& name) const {
    for (int k = 0; k < _options.length(); ++k) {
        const VnOption* option = _options.get(k);
        if (sameBytes(option->name(), name)) return option;
    }
    return nullptr;
}

int VnParam::get(const VnString& name, unsigned char& given) const {
    const VnOption* option = find(name);
    if (!option) return 0;
    given = option->exists();
    return 1;
}

int VnParam::get(const VnString& name, int& value) const {
    const VnOption* option = find(name);
    if (!option || !option->exists()) return 0;
    value = option->value().integervalue();
    return 1;
}

int VnParam::get(const VnString& name, VnString& value) const {
    const VnOption* option = find(name);
    if (!option || !option->exists()) return 0;
    value = option->value();
    return 1;
}

int VnParam::get(const VnString& name, int& amount, char& sign) const {
    const VnOption* option = find(name);
    if (!option || !option->exists() || option->value().length() == 0) return 0;
    const VnString& text = option->value();
    const char first = text.get(0);
    if (first == '-' || first == '+') {
        sign = first;
        amount = VnString(text.value() + 1, text.length() - 1).integervalue();
    } else {
        sign = '=';
        amount = text.integervalue();
    }
    return 1;
}

void VnParam::displayHeader() const {
    std::cout << "help: " << _name << " ";
    for (int k = 0; k < _options.length(); ++k)
        std::cout << "-" << _options.get(k)->name() << " ";
    std::cout << "\n";
}

void VnParam::displayHelp() const {
    std::cout << "help: " << _name << "\n";
    for (int k = 0; k < _options.length(); ++k)
        std::cout << "\t-" << _options.get(k)->name() << "\n";
}
