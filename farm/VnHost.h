#ifndef VN_FARM_VNHOST_H
#define VN_FARM_VNHOST_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// A render host, known by its name.
//
// Packed forms (the library's own layout): the name as a string field under tag 1, in XML
// the element "name".
class VnHost : public VnPack {
public:
    VnHost();
    VnHost(const VnHost& other) = default;
    ~VnHost() override;

    // Takes every field.
    VnHost& operator=(const VnHost& other) = default;
    void copy(const VnHost& other);

    const VnString& name() const;
    void name(const VnString& name);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "name", _name);
    }

    VnString _name;
};

VN_DECLARE_LIST(VnHostList, VnHost, VN_TYPE_HOST_LIST, VN_XML_HOST_LIST)

#endif  // VN_FARM_VNHOST_H
