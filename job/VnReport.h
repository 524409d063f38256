#ifndef VN_JOB_VNREPORT_H
#define VN_JOB_VNREPORT_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "job/VnJobStats.h"
#include "job/VnLog.h"
#include "job/VnSubjob.h"

// A subjob reported on, with its statistics and its output and error logs.
class VnReport : public VnPack {
public:
    VnReport();
    VnReport(const VnReport& other);
    ~VnReport() override;

    // Member-wise: the subjob, the statistics and both logs, each as its own copy takes it.
    VnReport& operator=(const VnReport& other) = default;
    void copy(const VnReport& other);

    VnSubjob& subjob() { return _subjob; }
    const VnSubjob& subjob() const { return _subjob; }
    void subjob(const VnSubjob& subjob) { _subjob = subjob; }
    VnJobStats& jobstats() { return _jobstats; }
    const VnJobStats& jobstats() const { return _jobstats; }
    void jobstats(const VnJobStats& jobstats) { _jobstats = jobstats; }
    VnLog& outlog() { return _outlog; }
    const VnLog& outlog() const { return _outlog; }
    VnLog& errlog() { return _errlog; }
    const VnLog& errlog() const { return _errlog; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The subjob (tag 2) is written before the statistics (tag 1).
    template <class Field>
    void fields(Field field) {
        field(2, "subjob", _subjob);
        field(1, "job_stats", _jobstats);
        field(3, "out_log", _outlog);
        field(4, "err_log", _errlog);
    }

    VnSubjob _subjob;
    VnJobStats _jobstats;
    VnLog _outlog;
    VnLog _errlog;
};

#endif  // VN_JOB_VNREPORT_H
