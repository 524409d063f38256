#ifndef VN_FARM_VNACCESS_H
#define VN_FARM_VNACCESS_H

#include "base/VnList.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnFieldlessRecord.h"

// An access record of the farm.
// It carries no fields of its own: it packs to an empty field run, and reading passes over any.
class VnAccess : public VnFieldlessRecord {
public:
    VnAccess();
    ~VnAccess() override;

    // Takes every field (there are none).
    void copy(const VnAccess& other);

    int type() override;
    VnString typeXML() override;
};

VN_DECLARE_LIST(VnAccessList, VnAccess, VN_TYPE_ACCESS_LIST, VN_XML_ACCESS_LIST)

#endif  // VN_FARM_VNACCESS_H
