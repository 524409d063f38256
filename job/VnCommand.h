#ifndef VN_JOB_VNCOMMAND_H
#define VN_JOB_VNCOMMAND_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnStringList.h"
#include "job/VnFilter.h"
#include "job/VnJobId.h"
#include "job/VnWorkId.h"

// The jobs or work items that a job-control request acts on, selected by filters, job ids,
// work ids and groups, and how far the receiver is to go. The receiver gives restrictions,
// background and limit their meaning; this side only carries them.
class VnCommand : public VnPack {
public:
    VnCommand();
    VnCommand(const VnCommand& other);
    ~VnCommand() override;

    // Member-wise: copies of the four lists, then restrictions, background and limit.
    VnCommand& operator=(const VnCommand& other) = default;
    void copy(const VnCommand& other);

    // Each list owns the elements appended to it.
    VnFilterList& filters() { return _filters; }
    const VnFilterList& filters() const { return _filters; }
    VnJobIdList& jobids() { return _jobids; }
    const VnJobIdList& jobids() const { return _jobids; }
    VnWorkIdList& workids() { return _workids; }
    const VnWorkIdList& workids() const { return _workids; }
    VnStringList& groups() { return _groups; }
    const VnStringList& groups() const { return _groups; }

    unsigned char restrictions() const { return _restrictions; }
    void restrictions(unsigned char restrictions) { _restrictions = restrictions; }
    unsigned char background() const { return _background; }
    void background(unsigned char background) { _background = background; }
    int limit() const { return _limit; }
    void limit(int limit) { _limit = limit; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

protected:
    // The command's fields in write order; the variants walk them before their own.
    template <class Field>
    void fields(Field field) {
        field(1, "filter_list", _filters);
        field(2, "job_id_list", _jobids);
        field(3, "work_id_list", _workids);
        field(4, "group_list", _groups);
        field(5, "restrictions", _restrictions);
        field(6, "limit", _limit);
        field(7, "background", _background);
    }

private:
    VnFilterList _filters;
    VnJobIdList _jobids;
    VnWorkIdList _workids;
    VnStringList _groups;
    unsigned char _restrictions;
    unsigned char _background;
    int _limit;
};

#endif  // VN_JOB_VNCOMMAND_H
