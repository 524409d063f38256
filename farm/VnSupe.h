#ifndef VN_FARM_VNSUPE_H
#define VN_FARM_VNSUPE_H

#include "base/VnList.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnFieldlessRecord.h"

// The farm record named "supe".
// It carries no fields of its own: it packs to an empty field run, and reading passes over any.
class VnSupe : public VnFieldlessRecord {
public:
    VnSupe();
    ~VnSupe() override;
    int type() override;
    VnString typeXML() override;
};

VN_DECLARE_LIST(VnSupeList, VnSupe, VN_TYPE_SUPE_LIST, VN_XML_SUPE_LIST)

#endif  // VN_FARM_VNSUPE_H
