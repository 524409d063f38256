#ifndef VN_JOB_VNDUTY_H
#define VN_JOB_VNDUTY_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnHost.h"
#include "job/VnJob.h"
#include "job/VnSubjob.h"

// One subjob of a job and the host it is placed on, with a flag that marks it for preemption.
// The flag lives in memory only: a record that is read keeps its own.
class VnDuty : public VnPack {
public:
    VnDuty();
    VnDuty(const VnDuty& other);
    ~VnDuty() override;

    // Member-wise: the job, the subjob, the host and the preemption flag.
    VnDuty& operator=(const VnDuty& other) = default;
    void copy(const VnDuty& other);

    VnJob& job() { return _job; }
    const VnJob& job() const { return _job; }
    void job(const VnJob& job) { _job = job; }
    VnSubjob& subjob() { return _subjob; }
    const VnSubjob& subjob() const { return _subjob; }
    void subjob(const VnSubjob& subjob) { _subjob = subjob; }
    VnHost& host() { return _host; }
    const VnHost& host() const { return _host; }
    void host(const VnHost& host) { _host = host; }
    unsigned char preempt() const { return _preempt; }
    void preempt(unsigned char preempt) { _preempt = preempt; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The subjob (tag 2) is written before the job (tag 1). The flag does not travel.
    template <class Field>
    void fields(Field field) {
        field(2, "subjob", _subjob);
        field(1, "job", _job);
        field(3, "host", _host);
    }

    VnJob _job;
    VnSubjob _subjob;
    VnHost _host;
    unsigned char _preempt = 0;
};

VN_DECLARE_LIST(VnDutyList, VnDuty, VN_TYPE_DUTY_LIST, VN_XML_DUTY_LIST)

#endif  // VN_JOB_VNDUTY_H
