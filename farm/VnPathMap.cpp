#include "farm/VnPathMap.h"

#include "base/VnTypes.h"

VnPathMap::VnPathMap() = default;

VnPathMap::VnPathMap(const VnPathMap& other) : VnPack(other) {
    *this = other;
}

VnPathMap::~VnPathMap() = default;

void VnPathMap::copy(const VnPathMap& other) {
    *this = other;
}

VnStringHash& VnPathMap::directmap() {
    return _directmap;
}

VnStringHash& VnPathMap::logicalmap() {
    return _logicalmap;
}

const VnStringHash& VnPathMap::directmap() const {
    return _directmap;
}

const VnStringHash& VnPathMap::logicalmap() const {
    return _logicalmap;
}

int VnPathMap::type() {
    return VN_TYPE_PATH_MAP;
}

VnString VnPathMap::typeXML() {
    return VnString(VN_XML_PATH_MAP);
}
