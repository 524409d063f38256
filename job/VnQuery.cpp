#include "job/VnQuery.h"

#include "base/VnTypes.h"

VnQuery::VnQuery() = default;

VnQuery::VnQuery(const VnQuery& other) : VnPack(other) {
    *this = other;
}

VnQuery::~VnQuery() = default;

void VnQuery::copy(const VnQuery& other) {
    *this = other;
}

int VnQuery::type() {
    return VN_TYPE_QUERY;
}

VnString VnQuery::typeXML() {
    return VnString(VN_XML_QUERY);
}
