#include "job/VnFilter.h"

#include <memory>
#include <new>

VnFilter::VnFilter() : _name(""), _neg(0), _sign('=') {}

VnFilter::VnFilter(const VnString& name) : _name(name), _neg(0), _sign('=') {}

VnFilter::VnFilter(const VnString& name, const VnString& value) : VnFilter(name, '=', value) {}

VnFilter::VnFilter(const VnString& name, char sign, const VnString& value)
    : _name(name), _neg(0), _sign(sign) {
    std::unique_ptr<VnField> field(new VnField(value));
    if (!_fields.push(field.get())) throw std::bad_alloc();
    field.release();
}

VnFilter::VnFilter(const VnFilter& other) : VnPack(other) {
    *this = other;
}

VnFilter::~VnFilter() = default;

void VnFilter::copy(const VnFilter& other) {
    *this = other;
}

int VnFilter::type() {
    return VN_TYPE_FILTER;
}

VnString VnFilter::typeXML() {
    return VnString(VN_XML_FILTER);
}
