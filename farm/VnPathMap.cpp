#include "farm/VnPathMap.h"

#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "system/VnConfigFile.h"
#include "system/VnFile.h"

namespace {

// Copies every option of the named section, if the file has it, into map.
void fillFrom(const VnConfigFile& file, const char* section, VnStringHash& map) {
    const VnConfig* config = file.config(section);
    if (!config) return;
    VnStringList keys;
    config->labels(keys);
    for (int i = 0; i < keys.length(); ++i)
        map.set(new VnString(config->option(*keys.get(i))), *keys.get(i));
}

}  // namespace

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

int VnPathMap::load(const VnString& path) {
    if (!VnFile::exists(path)) return 0;
    const VnConfigFile file(path);
    fillFrom(file, "direct", _directmap);
    fillFrom(file, "logical", _logicalmap);
    return 1;
}
