#ifndef VN_JOB_VNFIELD_H
#define VN_JOB_VNFIELD_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// One value of a query or a filter, with an optional comparison sign in front of it: one of
// "~", "=", ">", "<", "%" and "*", or 0 for none. The receiver gives the signs their meaning.
class VnField : public VnPack {
public:
    VnField();
    // No sign, then value(text).
    explicit VnField(const VnString& text);
    VnField(const VnField& other);
    ~VnField() override;

    // Member-wise: the value and the sign.
    VnField& operator=(const VnField& other) = default;
    void copy(const VnField& other);

    // Sets the value. A sign character at the front of the text becomes the sign and the rest
    // of the text the value; otherwise (an empty text included) the sign stays as it was.
    void value(const VnString& text);
    const VnString& value() const { return _value; }
    char sign() const { return _sign; }
    void sign(char sign) { _sign = sign; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "name", _value);
        field(2, "sign", _sign);
    }

    VnString _value;
    char _sign;
};

VN_DECLARE_LIST(VnFieldList, VnField, VN_TYPE_FIELD_LIST, VN_XML_FIELD_LIST)

#endif  // VN_JOB_VNFIELD_H
