#include "job/VnOperation.h"

#include "base/VnTypes.h"

VnOperation::VnOperation() : _restrictions(1), _limit(0) {}

VnOperation::VnOperation(const VnOperation& other) : VnPack(other) {
    *this = other;
}

VnOperation::~VnOperation() = default;

void VnOperation::copy(const VnOperation& other) {
    *this = other;
}

int VnOperation::type() {
    return VN_TYPE_OPERATION;
}

VnString VnOperation::typeXML() {
    return VnString(VN_XML_OPERATION);
}
