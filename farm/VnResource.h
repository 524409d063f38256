#ifndef VN_FARM_VNRESOURCE_H
#define VN_FARM_VNRESOURCE_H

#include "base/VnHash.h"
#include "base/VnList.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnFieldlessRecord.h"

// A resource record of the farm, held by resource lists and hashes.
// It carries no fields of its own: it packs to an empty field run, and reading passes over any.
class VnResource : public VnFieldlessRecord {
public:
    VnResource();
    ~VnResource() override;
    int type() override;
    VnString typeXML() override;
};

VN_DECLARE_LIST(VnResourceList, VnResource, VN_TYPE_RESOURCE_LIST, VN_XML_RESOURCE_LIST)
// The packable hash of resources, each under a string key.
VN_DECLARE_HASH(VnResourceHash, VnResource, VN_TYPE_RESOURCE_HASH, VN_XML_RESOURCE_HASH)

#endif  // VN_FARM_VNRESOURCE_H
