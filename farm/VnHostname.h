#ifndef VN_FARM_VNHOSTNAME_H
#define VN_FARM_VNHOSTNAME_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// A host name with an optional port; port 0 means none is given.
//
// Packed forms (the library's own layout): the name as a string field under tag 1 and the
// port as an int field under tag 2; in XML the elements "name" and "port".
class VnHostname : public VnPack {
public:
    VnHostname();
    // The text is the name, unchanged (a ":" in it is not read as a port); port 0.
    explicit VnHostname(const VnString& name);
    VnHostname(const VnHostname& other) = default;
    ~VnHostname() override;

    // Takes every field.
    VnHostname& operator=(const VnHostname& other) = default;
    void copy(const VnHostname& other);

    const VnString& name() const;
    void name(const VnString& name);
    int port() const;
    void port(int port);
    // The name, then ":" and the port in decimal when the port is not 0.
    VnString value() const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "name", _name);
        field(2, "port", _port);
    }

    VnString _name;
    int _port;
};

VN_DECLARE_LIST(VnHostnameList, VnHostname, VN_TYPE_HOSTNAME_LIST, VN_XML_HOSTNAME_LIST)

#endif  // VN_FARM_VNHOSTNAME_H
