#include "job/VnReport.h"

VnReport::VnReport() = default;

VnReport::VnReport(const VnReport& other) = default;

VnReport::~VnReport() = default;

void VnReport::copy(const VnReport& other) {
    *this = other;
}

int VnReport::type() {
    return VN_TYPE_REPORT;
}

VnString VnReport::typeXML() {
    return VnString(VN_XML_REPORT);
}
