#include "farm/VnPathMap.h"

#include <memory>
#include <new>
#include <stdexcept>

#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "system/VnConfigFile.h"

namespace {

// Moves every option of the named section, if the file has it, into map: each leaves the
// section as it is copied, so the entries are held about once, not twice.
void moveFrom(VnConfigFile& file, const char* section, VnStringHash& map) {
    VnConfig* config = file.config(section);
    if (!config) return;
    VnStringList keys;
    config->labels(keys);
    for (int i = 0; i < keys.length(); ++i) {
        const VnString& key = *keys.get(i);
        std::unique_ptr<VnString> value(new VnString(config->option(key)));
        if (!map.set(value.get(), key)) throw std::bad_alloc();  // the entry stays in the section
        value.release();
        config->remove(key);
    }
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

// Memory that runs out while the entries are taken ends the load with 0; the entries taken
// before stay.
int VnPathMap::load(const VnString& path) {
    try {
        VnConfigFile file;
        const int whole = file.load(path);
        moveFrom(file, "direct", _directmap);
        moveFrom(file, "logical", _logicalmap);
        return whole;
    } catch (const std::bad_alloc&) {
        return 0;
    } catch (const std::length_error&) {
        return 0;
    }
}
