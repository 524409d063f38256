#ifndef VN_FARM_VNSUBSCRIPTION_H
#define VN_FARM_VNSUBSCRIPTION_H

#include "base/VnList.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnFieldlessRecord.h"

// A subscription record of the farm.
// It carries no fields of its own: it packs to an empty field run, and reading passes over any.
class VnSubscription : public VnFieldlessRecord {
public:
    VnSubscription();
    ~VnSubscription() override;
    int type() override;
    VnString typeXML() override;
};

VN_DECLARE_LIST(VnSubscriptionList, VnSubscription, VN_TYPE_SUBSCRIPTION_LIST, VN_XML_SUBSCRIPTION_LIST)

#endif  // VN_FARM_VNSUBSCRIPTION_H
