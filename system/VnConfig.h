#ifndef VN_SYSTEM_VNCONFIG_H
#define VN_SYSTEM_VNCONFIG_H

#include "base/VnFields.h"
#include "base/VnHash.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "farm/VnAddress.h"

// A named set of string options (key to value) with the address of the host it belongs to,
// and the flat configuration-text format ("vn.conf"):
//
//   # a comment runs to the end of the line     [a header] is skipped, even across lines
//   key = bare          the value ends at "#", a blank, a line end or a byte of 128 or more
//   key = 'single'      quoted values end at their quote or at the line end
//   key = "double"
//   key = {braced}      braces nest; a braced value may span lines
//
// Blanks inside a key are dropped; text after a value on its line is ignored; a later line
// overrides an earlier one with the same key. Nothing is ever reported: what does not fit is
// passed over. Parsing adds to the options held, it never clears them.
//
// Packed forms: the address as a nested object under tag 1, the options as a nested string
// hash under tag 0 and the name as a string under tag 2, written in that order; in XML the
// elements "address", "options" and "name".
class VnConfig : public VnPack {
public:
    VnConfig();
    // An empty configuration, then load(path).
    explicit VnConfig(const VnString& path);
    // A copy starts with no text and not valid (see copy).
    VnConfig(const VnConfig& other);
    ~VnConfig() override;

    VnConfig& operator=(const VnConfig& other);
    // Partial copy: takes the address, the name and deep copies of the options; the text, the
    // read position and the valid flag stay this configuration's own.
    void copy(const VnConfig& other);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

    // Reads and parses a file: 1 when it was read. A file that cannot be opened or read, is
    // a directory or holds more than kMaxFileSize bytes answers 0 and makes the configuration
    // not valid; its options and text stay as they were.
    int load(const VnString& path);
    // Makes text the configuration text, parses it from its start and marks the
    // configuration valid; answers 1. revert is the same operation.
    int parse(const VnString& text);
    int revert(const VnString& text);

    // The options as configuration text, one "key = value" line each, in the hash's order.
    VnString convert() const;
    // The template text with this configuration's values merged in: a template line that sets
    // a key held here ("key = ...", also commented out as "#key = ...") becomes the held
    // setting, written once; an active line whose key is not held is commented out with "#";
    // other lines are copied. The held keys that no line wrote follow in key order after the
    // line "# these are not included in the template", then an empty line.
    VnString usetemplate(const VnString& text) const;
    // usetemplate of a whole file ("" when it does not read).
    VnString loadtemplate(const VnString& path) const;

    // The local machine's host name; "" when it cannot be had.
    VnString host() const;

    const VnString& name() const;
    void name(const VnString& name);
    const VnAddress& address() const;
    void address(const VnAddress& address);

    // The value of key, or an empty text when key is absent.
    const VnString& option(const VnString& key) const;
    // Stores a copy of value under key, replacing the earlier value; answers 1.
    int option(const VnString& key, const VnString& value);
    // 1 when key was there and is removed, else 0.
    int remove(const VnString& key);
    // 1 when key is present, even with an empty value.
    int exists(const VnString& key) const;
    // Empties list, then adds a copy of every key in the hash's order.
    void labels(VnStringList& list) const;
    // 1 when every option of other has the same value here (an absent key reads as empty).
    unsigned char matchsubset(const VnConfig& other) const;
    // Stores every option of other here, replacing the values of keys present in both.
    void inherit(const VnConfig& other);
    // Prints "items: " and the number of options, then "i: key=value" per key in key order.
    void display() const;

    unsigned char valid() const;

    // The parser's reading of the text: eof() at or past its end; peek() the byte at the read
    // position and get() that byte, then a step forward. Both answer 0 at the end and never
    // move past it.
    int eof() const;
    char get();
    char peek() const;

    // Largest file that load reads.
    static constexpr int kMaxFileSize = 64 * 1024 * 1024;

private:
    // Serialised fields; the read position, the text, the valid flag and the empty value
    // are kept only in memory.
    template <class Field>
    void fields(Field field) {
        field(1, "address", _address);
        field(0, "options", _options);
        field(2, "name", _name);
    }

    // The grammar, from the read position to the end of the text.
    void parseText();
    void skipBlanks();
    void skipLine();
    bool comment();
    bool header();
    void setting();
    bool readValue(VnString& value);
    char readQuoted(char close, VnString& value);
    char readBraced(VnString& value);
    char readBare(VnString& value);

    // One template line merged into out (see usetemplate).
    void mergeLine(const VnString& line, VnStringHash& written, VnString& out) const;
    void appendSetting(const VnString& key, VnString& out) const;
    void sortedKeys(VnStringList& keys) const;

    int _cursor;
    VnAddress _address;
    VnString _text;
    VnString _name;
    unsigned char _valid;
    VnStringHash _options;
    const VnString _empty;
};

// Orders keys ascending for VnStringList::sort: 1 when a > b, -1 when a < b, else 0.
int vn_config_sort_func(VnString* a, VnString* b);
int _vn_config_cmp(VnString* a, VnString* b);

VN_DECLARE_LIST(VnConfigList, VnConfig, VN_TYPE_CONFIG_LIST, VN_XML_CONFIG_LIST)
VN_DECLARE_HASH(VnConfigHash, VnConfig, VN_TYPE_CONFIG_HASH, VN_XML_CONFIG_HASH)

// Appends to text the whole of the regular file path when it holds at most
// VnConfig::kMaxFileSize bytes: 1 when read, else 0 (missing, not a regular file, too large,
// a read error, or more than memory can hold). The file is judged once open (vn_open_named_read),
// so a FIFO or a device put in its place is refused without blocking. The configuration files
// read through it.
int vn_config_read_file(const VnString& path, VnString& text);

#endif  // VN_SYSTEM_VNCONFIG_H
