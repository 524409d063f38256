#ifndef VN_JOB_VNFILTER_H
#define VN_JOB_VNFILTER_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "job/VnField.h"

// A named condition of a query or a command: a negation flag, the filter's own comparison
// sign ("=" unless given) and the values it holds, each a field with a sign of its own. The
// receiver evaluates it; this side only builds and carries it.
class VnFilter : public VnPack {
public:
    VnFilter();
    explicit VnFilter(const VnString& name);
    // One field made from value, which may begin with a sign of its own.
    VnFilter(const VnString& name, const VnString& value);
    VnFilter(const VnString& name, char sign, const VnString& value);
    VnFilter(const VnFilter& other);
    ~VnFilter() override;

    // Member-wise: the name, the flag, copies of the fields and the sign.
    VnFilter& operator=(const VnFilter& other) = default;
    void copy(const VnFilter& other);

    const VnString& name() const { return _name; }
    void name(const VnString& name) { _name = name; }
    unsigned char neg() const { return _neg; }
    void neg(unsigned char neg) { _neg = neg; }
    char sign() const { return _sign; }
    void sign(char sign) { _sign = sign; }
    // The list owns the fields appended to it.
    VnFieldList& fields() { return _fields; }
    const VnFieldList& fields() const { return _fields; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "name", _name);
        field(3, "neg", _neg);
        field(4, "fields", _fields);
        field(5, "sign", _sign);
    }

    VnString _name;
    unsigned char _neg;
    VnFieldList _fields;
    char _sign;
};

VN_DECLARE_LIST(VnFilterList, VnFilter, VN_TYPE_FILTER_LIST, VN_XML_FILTER_LIST)

#endif  // VN_JOB_VNFILTER_H
