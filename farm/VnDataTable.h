#ifndef VN_FARM_VNDATATABLE_H
#define VN_FARM_VNDATATABLE_H

#include "base/VnList.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnFieldlessRecord.h"

// A data table record of the farm.
// It carries no fields of its own: it packs to an empty field run, and reading passes over any.
class VnDataTable : public VnFieldlessRecord {
public:
    VnDataTable();
    ~VnDataTable() override;
    int type() override;
    VnString typeXML() override;
};

VN_DECLARE_LIST(VnDataTableList, VnDataTable, VN_TYPE_DATA_TABLE_LIST, VN_XML_DATA_TABLE_LIST)

#endif  // VN_FARM_VNDATATABLE_H
