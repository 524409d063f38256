#include "farm/VnDataTable.h"

VnDataTable::VnDataTable() = default;

VnDataTable::~VnDataTable() = default;

int VnDataTable::type() {
    return VN_TYPE_DATA_TABLE;
}

VnString VnDataTable::typeXML() {
    return VnString(VN_XML_DATA_TABLE);
}
