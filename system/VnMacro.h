#ifndef VN_SYSTEM_VNMACRO_H
#define VN_SYSTEM_VNMACRO_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnStringHash.h"

// A table of named text values (macros) with a text expander: parse replaces
// every reference, "$" followed by a name or "$(" name ")", by the value of
// that name. Names the table lacks may be supplied by a resolver function.
//
// Binary form: the table as a nested object under tag 1. XML form: the table
// as the element "value". The resolver is never packed or copied.
class VnMacro : public VnPack {
public:
    // Answers non-zero when it filled value for name.
    using Resolver = unsigned char (*)(const VnString& name, VnString& value);

    VnMacro();
    // Copies the table only; the new macro has no resolver.
    VnMacro(const VnMacro& other);
    ~VnMacro() override;

    // Replace the table by a deep copy of other's; the resolver stays.
    VnMacro& operator=(const VnMacro& other);
    void copy(const VnMacro& other);

    // Stores a copy of value under name, replacing an earlier value.
    void set(const VnString& name, const VnString& value);
    // Installs the resolver; a null pointer removes it.
    void set(Resolver resolver);
    // Assigns the value of name to value when the table has name; otherwise
    // leaves value unchanged.
    void get(const VnString& name, VnString& value) const;

    // The text with every reference expanded. Expanded values are not scanned
    // again, and there is no escape for "$". An empty text gives an undefined
    // string.
    VnString parse(const VnString& text) const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The resolver does not travel.
    template <class Field>
    void fields(Field field) {
        field(1, "value", _table);
    }

    void _expand(const VnString& name, VnString& out) const;

    VnStringHash _table;
    Resolver _resolver;
};

#endif  // VN_SYSTEM_VNMACRO_H
