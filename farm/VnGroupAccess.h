#ifndef VN_FARM_VNGROUPACCESS_H
#define VN_FARM_VNGROUPACCESS_H

#include "base/VnList.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnFieldlessRecord.h"

// A group access record of the farm.
// It carries no fields of its own: it packs to an empty field run, and reading passes over any.
class VnGroupAccess : public VnFieldlessRecord {
public:
    VnGroupAccess();
    ~VnGroupAccess() override;

    // Takes every field (there are none).
    void copy(const VnGroupAccess& other);

    int type() override;
    VnString typeXML() override;
};

VN_DECLARE_LIST(VnGroupAccessList, VnGroupAccess, VN_TYPE_GROUP_ACCESS_LIST, VN_XML_GROUP_ACCESS_LIST)

#endif  // VN_FARM_VNGROUPACCESS_H
