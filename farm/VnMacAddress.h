#ifndef VN_FARM_VNMACADDRESS_H
#define VN_FARM_VNMACADDRESS_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"

// A hardware (MAC) address, held as its text; empty by default.
//
// Packed forms (the library's own layout): the text as a string field under tag 1, in XML
// the element "value".
class VnMacAddress : public VnPack {
public:
    VnMacAddress();
    VnMacAddress(const VnMacAddress& other) = default;
    ~VnMacAddress() override;

    // Takes every field.
    VnMacAddress& operator=(const VnMacAddress& other) = default;
    void copy(const VnMacAddress& other);

    const VnString& value() const;
    void value(const VnString& text);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "value", _value);
    }

    VnString _value;
};

#endif  // VN_FARM_VNMACADDRESS_H
