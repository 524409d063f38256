#ifndef VN_FARM_VNADDRESS_H
#define VN_FARM_VNADDRESS_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"

// A network address: an IPv4 address held as one 32-bit value, most significant byte first
// (10.0.0.5 is 0x0A000005); 0 by default.
//
// Packed forms (the library's own layout): the 32 bits as an int field under tag 1, in XML
// the element "value" holding their signed decimal.
class VnAddress : public VnPack {
public:
    VnAddress();
    explicit VnAddress(unsigned int value);
    VnAddress(const VnAddress& other) = default;
    ~VnAddress() override;

    // Takes every field.
    VnAddress& operator=(const VnAddress& other) = default;
    void copy(const VnAddress& other);

    unsigned int value() const;
    void value(unsigned int value);
    // The four bytes in decimal joined by ".", most significant first ("0.0.0.0" by default).
    VnString stringvalue() const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "value", _value);
    }

    int _value;  // the address's 32 bits
};

#endif  // VN_FARM_VNADDRESS_H
