#ifndef VN_FARM_VNPASSWORD_H
#define VN_FARM_VNPASSWORD_H

#include "base/VnList.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnFieldlessRecord.h"

// A password record of the farm.
// It carries no fields of its own: it packs to an empty field run, and reading passes over any.
class VnPassword : public VnFieldlessRecord {
public:
    VnPassword();
    ~VnPassword() override;

    // Takes every field (there are none).
    void copy(const VnPassword& other);

    int type() override;
    VnString typeXML() override;
};

VN_DECLARE_LIST(VnPasswordList, VnPassword, VN_TYPE_PASSWORD_LIST, VN_XML_PASSWORD_LIST)

#endif  // VN_FARM_VNPASSWORD_H
