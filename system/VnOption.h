#ifndef VN_SYSTEM_VNOPTION_H
#define VN_SYSTEM_VNOPTION_H

#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// One command-line option that a VnParam accepts: its kind, its full name
// (without the leading "-") and what the last parse found for it.
//
// The option is packable but carries nothing: it packs as an object of its
// class without fields, and reading one changes nothing.
//
// A copy (copy constructor, operator=, copy) takes every field: the kind,
// the name, the value and the given flag.
class VnOption : public VnPack {
public:
    // Kinds of option.
    static constexpr int FLAG = 1;     // given or not, without a value
    static constexpr int STRING = 2;   // takes the next argument as it stands
    static constexpr int INTEGER = 3;  // takes the next argument, digits and "-" only
    static constexpr int DIFF = 4;     // takes "+n", "-n" (a change) or "n" (an absolute value)

    // Kind 0, empty name and value, not given.
    VnOption();
    // The kind and name given, empty value, not given.
    VnOption(int tag, const VnString& name);
    VnOption(const VnOption& other) = default;
    ~VnOption() override;

    VnOption& operator=(const VnOption& other) = default;
    void copy(const VnOption& other);

    int tag() const;
    const VnString& name() const;
    void name(const VnString& name);
    // The text given for the option; flags keep it empty.
    const VnString& value() const;
    void value(const VnString& value);
    // 1 once the option was given in a parse.
    unsigned char exists() const;
    void exists(unsigned char given);

    // The length of s when s is a non-empty prefix of the name (the whole name
    // included), else 0. Bytes are compared exactly.
    int match(const VnString& s) const;

    int type() override;
    VnString typeXML() override;
    // No field travels.
    void encode() override;
    void decode() override;
    void encodeXML() override;
    void decodeXML() override;

private:
    int _tag;
    VnString _name;
    VnString _value;
    unsigned char _exists;
};

// A packable list of options.
VN_DECLARE_LIST(VnOptionList, VnOption, VN_TYPE_OPTION_LIST, VN_XML_OPTION_LIST)

#endif  // VN_SYSTEM_VNOPTION_H
