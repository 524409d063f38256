#ifndef VN_JOB_VNOPERATION_H
#define VN_JOB_VNOPERATION_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "job/VnFilter.h"
#include "job/VnJobId.h"
#include "job/VnVariableId.h"

// The variables that a request acts on, selected by filters, job ids and variable ids, and
// how far the receiver is to go. The receiver gives restrictions and limit their meaning.
class VnOperation : public VnPack {
public:
    VnOperation();
    VnOperation(const VnOperation& other);
    ~VnOperation() override;

    // Member-wise: copies of the three lists, then restrictions and limit.
    VnOperation& operator=(const VnOperation& other) = default;
    void copy(const VnOperation& other);

    // Each list owns the elements appended to it.
    VnFilterList& filters() { return _filters; }
    const VnFilterList& filters() const { return _filters; }
    VnJobIdList& jobids() { return _jobids; }
    const VnJobIdList& jobids() const { return _jobids; }
    VnVariableIdList& variableids() { return _variableids; }
    const VnVariableIdList& variableids() const { return _variableids; }

    unsigned char restrictions() const { return _restrictions; }
    void restrictions(unsigned char restrictions) { _restrictions = restrictions; }
    int limit() const { return _limit; }
    void limit(int limit) { _limit = limit; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The job ids travel under tag 3 before the variable ids under tag 2; tag 4 is unused.
    template <class Field>
    void fields(Field field) {
        field(1, "filter_list", _filters);
        field(3, "job_id_list", _jobids);
        field(2, "variable_id_list", _variableids);
        field(5, "restrictions", _restrictions);
        field(6, "limit", _limit);
    }

    VnFilterList _filters;
    VnJobIdList _jobids;
    VnVariableIdList _variableids;
    unsigned char _restrictions;
    int _limit;
};

#endif  // VN_JOB_VNOPERATION_H
