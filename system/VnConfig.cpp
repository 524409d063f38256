#include "system/VnConfig.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <new>

#include "system/VnFile.h"
#include "system/VnSafeOpen.h"

namespace {

const char kNotIncluded[] = "# these are not included in the template";

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

// The bytes that end a bare value.
bool endsBare(char c) {
    return c == '#' || c == '\r' || c == '\n' || c == '\t' || c == ' ' ||
           static_cast<unsigned char>(c) >= 128;
}

bool isLower(char c) {
    return c >= 'a' && c <= 'z';
}

// 1 when the parser would read the value written bare as something else: a byte that ends a
// bare value, or a first byte that opens a quoted or braced one.
bool needsQuotes(const VnString& value) {
    const char first = value.get(0);
    if (first == '\'' || first == '"' || first == '{') return true;
    for (int i = 0; i < value.length(); ++i) {
        if (endsBare(value.get(i))) return true;
    }
    return false;
}

// 1 when every "}" closes an earlier "{" and every "{" is closed, so the value read between
// braces ends at the closing brace written after it.
bool balanced(const VnString& value) {
    int depth = 0;
    for (int i = 0; i < value.length() && depth >= 0; ++i) {
        if (value.get(i) == '{') ++depth;
        if (value.get(i) == '}') --depth;
    }
    return depth == 0;
}

VnString enclosed(char open, const VnString& value, char close) {
    VnString out;
    out += open;
    out += value;
    out += close;
    return out;
}

// The value as the parser reads it back: braced when it spans lines, bare when it can be, else
// between double quotes, or single quotes or braces when it holds a double quote. A value that
// holds a carriage return, or a line feed with unbalanced braces, has no such form; it is
// written braced.
VnString formatted(const VnString& value) {
    if (value.multiline()) return enclosed('{', value, '}');
    if (!needsQuotes(value)) return value;
    if (!value.haschar('"')) return enclosed('"', value, '"');
    if (!value.haschar('\'')) return enclosed('\'', value, '\'');
    if (balanced(value)) return enclosed('{', value, '}');
    return enclosed('"', value, '"');
}

// Adds key to a string hash used as a set.
void remember(VnStringHash& set, const VnString& key) {
    std::unique_ptr<VnString> mark(new VnString());
    if (set.set(mark.get(), key)) mark.release();
}

}  // namespace

VnConfig::VnConfig() : _cursor(0), _valid(0) {}

VnConfig::VnConfig(const VnString& path) : VnConfig() {
    load(path);
}

VnConfig::VnConfig(const VnConfig& other) : VnPack(other), _cursor(0), _valid(0) {
    copy(other);
}

VnConfig::~VnConfig() = default;

VnConfig& VnConfig::operator=(const VnConfig& other) {
    copy(other);
    return *this;
}

void VnConfig::copy(const VnConfig& other) {
    if (&other == this) return;
    _address = other._address;
    _name = other._name;
    _options = other._options;
}

int VnConfig::type() {
    return VN_TYPE_CONFIG;
}

VnString VnConfig::typeXML() {
    return VnString(VN_XML_CONFIG);
}

// ---- Reading -----------------------------------------------------------------------------

int vn_config_read_file(const VnString& path, VnString& text) {
    const std::int64_t max = VnConfig::kMaxFileSize;
    const VnFd file = vn_open_named_read(path, max);
    if (!file.valid()) return 0;
    // A file that reports size 0 is read to its end: one byte past the cap tells one too large.
    const std::int64_t count = vn_read_fd(file.get(), 0, max + 1 - text.length(), text);
    return count >= 0 && text.length() <= max ? 1 : 0;
}

int VnConfig::load(const VnString& path) {
    VnString text("");
    if (!vn_config_read_file(path, text)) {
        _valid = 0;
        return 0;
    }
    return parse(text);
}

int VnConfig::parse(const VnString& text) {
    _text = text;
    _cursor = 0;
    _valid = 1;
    parseText();
    return 1;
}

int VnConfig::revert(const VnString& text) {
    return parse(text);
}

int VnConfig::eof() const {
    return _cursor >= _text.length();
}

char VnConfig::get() {
    return eof() ? 0 : _text.value()[_cursor++];
}

char VnConfig::peek() const {
    return eof() ? 0 : _text.value()[_cursor];
}

// Each pass takes a comment, a header or a setting; a pass that takes nothing steps over one
// byte, so every pass moves forward and the text is read once.
void VnConfig::parseText() {
    while (!eof()) {
        skipBlanks();
        const int start = _cursor;
        if (!comment() && !header()) setting();
        if (_cursor == start) get();
    }
}

void VnConfig::skipBlanks() {
    while (!eof() && isBlank(peek()))
        get();
}

// Through the next line feed.
void VnConfig::skipLine() {
    while (!eof() && get() != '\n') {
    }
}

bool VnConfig::comment() {
    if (eof() || peek() != '#') return false;
    skipLine();
    return true;
}

// Headers carry no meaning: everything through the next "]" is skipped.
bool VnConfig::header() {
    if (eof() || peek() != '[') return false;
    while (!eof() && get() != ']') {
    }
    return true;
}

// A key up to "=", then its value. A line feed or "#" before the "=" gives up (the byte is
// taken, so what follows a "#" is read again), as does the end of the text.
void VnConfig::setting() {
    VnString key("");
    for (;;) {
        if (eof()) return;
        const char c = get();
        if (c == '=') break;
        if (c == '\n' || c == '#') return;
        if (!isBlank(c)) key += c;
    }
    VnString value("");
    if (readValue(value)) option(key, value);
}

// false when the text ends right after the "=". Whatever follows the value on its line is
// skipped.
bool VnConfig::readValue(VnString& value) {
    if (eof()) return false;
    skipBlanks();
    const char first = peek();
    char last;
    if (first == '\'' || first == '"') {
        get();
        last = readQuoted(first, value);
    } else if (first == '{') {
        get();
        last = readBraced(value);
    } else {
        last = readBare(value);
    }
    if (last != '\n') skipLine();
    return true;
}

// Each reader answers the last byte it took, 0 when the text ended first.
char VnConfig::readQuoted(char close, VnString& value) {
    while (!eof()) {
        const char c = get();
        if (c == close || c == '\n') return c;
        if (c != '\r') value += c;
    }
    return 0;
}

char VnConfig::readBraced(VnString& value) {
    int depth = 1;
    while (!eof()) {
        const char c = get();
        if (c == '{') ++depth;
        if (c == '}' && --depth == 0) return c;
        if (c != '\r') value += c;
    }
    return 0;
}

char VnConfig::readBare(VnString& value) {
    while (!eof()) {
        const char c = get();
        if (endsBare(c)) return c;
        value += c;
    }
    return 0;
}

// ---- Writing -----------------------------------------------------------------------------

void VnConfig::appendSetting(const VnString& key, VnString& out) const {
    out += key;
    out += " = ";
    out += formatted(option(key));
    out += '\n';
}

void VnConfig::sortedKeys(VnStringList& keys) const {
    _options.copykeys(keys);
    keys.sort(vn_config_sort_func);
}

VnString VnConfig::convert() const {
    VnStringList keys;
    _options.copykeys(keys);
    VnString out("");
    for (int i = 0; i < keys.length(); ++i)
        appendSetting(*keys.get(i), out);
    return out;
}

// The template is cut into lines at line feeds outside braces (a trailing line feed ends the
// last line, it does not start an empty one). Each line is merged (mergeLine); then the keys
// that no line wrote follow in key order under the line kNotIncluded, and an empty line.
VnString VnConfig::usetemplate(const VnString& text) const {
    VnStringHash written;  // used as a set of keys
    VnString out("");
    const char* s = text.value();
    const int n = text.length();
    int start = 0;
    int depth = 0;
    for (int p = 0; p < n; ++p) {
        if (s[p] == '{') ++depth;
        if (s[p] == '}') --depth;
        if (s[p] != '\n' || depth > 0) continue;
        mergeLine(VnString(s + start, p - start), written, out);
        start = p + 1;
        depth = 0;
    }
    if (start < n) mergeLine(VnString(s + start, n - start), written, out);

    VnStringList keys;
    sortedKeys(keys);
    bool listed = false;
    for (int i = 0; i < keys.length(); ++i) {
        const VnString& key = *keys.get(i);
        if (written.get(key)) continue;
        if (!listed) {
            out += kNotIncluded;
            out += '\n';
            listed = true;
        }
        appendSetting(key, out);
    }
    if (listed) out += '\n';
    return out;
}

// Scans the line for keys: a key starts at a lower-case letter and runs to ".", "=" or the
// line end, blanks dropped. A key followed by "=" that this configuration holds writes its
// setting (once per template); on a line that is not a comment, one that it does not hold
// comments the line out (once per line). Either way the scan goes on after the "=". A line
// that neither happens to is copied, except an earlier kNotIncluded line.
void VnConfig::mergeLine(const VnString& line, VnStringHash& written, VnString& out) const {
    if (line.length() == 0) {
        out += '\n';
        return;
    }
    const char* s = line.value();
    const int n = line.length();
    const bool commented = s[0] == '#';
    bool handled = false;
    bool commentedOut = false;
    for (int p = commented ? 1 : 0;;) {
        while (p < n && !isLower(s[p]))
            ++p;
        if (p >= n) break;
        VnString key;
        for (; p < n && s[p] != '.' && s[p] != '='; ++p) {
            if (s[p] != ' ' && s[p] != '\t') key += s[p];
        }
        if (p >= n || s[p] != '=') break;
        const bool held = exists(key);
        if (!held && commented) continue;
        handled = true;
        if (held && !written.get(key)) appendSetting(key, out);
        if (!held && !commentedOut) {
            out += '#';
            out += line;
            out += '\n';
            commentedOut = true;
        }
        remember(written, key);
    }
    if (!handled && line != kNotIncluded) {
        out += line;
        out += '\n';
    }
}

VnString VnConfig::loadtemplate(const VnString& path) const {
    return usetemplate(VnFile::load(path));
}

// ---- Options -----------------------------------------------------------------------------

VnString VnConfig::host() const {
    char name[1024];
    name[0] = '\0';
    gethostname(name, sizeof name);
    name[sizeof name - 1] = '\0';
    return VnString(name);
}

const VnString& VnConfig::name() const {
    return _name;
}

void VnConfig::name(const VnString& name) {
    _name = name;
}

const VnAddress& VnConfig::address() const {
    return _address;
}

void VnConfig::address(const VnAddress& address) {
    _address = address;
}

const VnString& VnConfig::option(const VnString& key) const {
    const VnString* value = _options.get(key);
    return value ? *value : _empty;
}

int VnConfig::option(const VnString& key, const VnString& value) {
    std::unique_ptr<VnString> copy(new VnString(value));  // made first: value may be the one replaced
    if (!_options.set(copy.get(), key)) return 0;
    copy.release();
    return 1;
}

int VnConfig::remove(const VnString& key) {
    VnString* value = _options.remove(key);
    if (!value) return 0;
    delete value;
    return 1;
}

int VnConfig::exists(const VnString& key) const {
    return _options.get(key) ? 1 : 0;
}

void VnConfig::labels(VnStringList& list) const {
    _options.copykeys(list);
}

unsigned char VnConfig::matchsubset(const VnConfig& other) const {
    VnStringList keys;
    other._options.copykeys(keys);
    for (int i = 0; i < keys.length(); ++i) {
        const VnString& key = *keys.get(i);
        if (option(key) != other.option(key)) return 0;
    }
    return 1;
}

void VnConfig::inherit(const VnConfig& other) {
    if (&other == this) return;
    VnStringList keys;
    other._options.copykeys(keys);
    for (int i = 0; i < keys.length(); ++i)
        option(*keys.get(i), other.option(*keys.get(i)));
}

void VnConfig::display() const {
    VnStringList keys;
    sortedKeys(keys);
    std::cout << "items: " << _options.length() << std::endl;
    for (int i = 0; i < keys.length(); ++i) {
        const VnString& key = *keys.get(i);
        std::cout << i << ": " << key << "=" << option(key) << std::endl;
    }
}

unsigned char VnConfig::valid() const {
    return _valid;
}

int vn_config_sort_func(VnString* a, VnString* b) {
    return vn_string_sort_func(a, b);
}

int _vn_config_cmp(VnString* a, VnString* b) {
    return vn_string_sort_func(a, b);
}
