#ifndef VN_JOB_VNSUBJOB_H
#define VN_JOB_VNSUBJOB_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnAddress.h"
#include "farm/VnMacAddress.h"
#include "job/VnStatus.h"
#include "job/VnStatusTally.h"
#include "system/VnTime.h"

// One instance of a job running on a worker host (one process slot): its number within the
// job, the host it runs on with that host's addresses, its status, and a few counters and times
// that travel unchanged between the parties of the queue.
class VnSubjob : public VnPack {
public:
    VnSubjob();
    VnSubjob(const VnSubjob& other);
    ~VnSubjob() override;

    // Member-wise: all fourteen fields, strings with their secure flag.
    VnSubjob& operator=(const VnSubjob& other) = default;
    void copy(const VnSubjob& other);

    int id() const { return _id; }
    void id(int id) { _id = id; }
    int pid() const { return _pid; }
    void pid(int pid) { _pid = pid; }
    // A copy, unlike the other object getters.
    VnAddress address() const { return _address; }
    void address(const VnAddress& address) { _address = address; }
    VnMacAddress& macaddress() { return _macaddress; }
    const VnMacAddress& macaddress() const { return _macaddress; }
    void macaddress(const VnMacAddress& macaddress) { _macaddress = macaddress; }
    VnTime& lastupdate() { return _lastupdate; }
    const VnTime& lastupdate() const { return _lastupdate; }
    void lastupdate(const VnTime& time) { _lastupdate = time; }
    VnString& host() { return _host; }
    const VnString& host() const { return _host; }
    void host(const VnString& host) { _host = host; }
    // The first n bytes of text; n of 0 or less empties the field, a null text changes nothing.
    void host(char* text, int n) { _host.copy(text, n); }
    VnStatus& status() { return _status; }
    const VnStatus& status() const { return _status; }
    void status(const VnStatus& status) { _status = status; }
    VnString& data() { return _data; }
    const VnString& data() const { return _data; }
    void data(const VnString& data) { _data = data; }
    void data(char* text, int n) { _data.copy(text, n); }
    VnString& result() { return _result; }
    const VnString& result() const { return _result; }
    void result(const VnString& result) { _result = result; }
    void result(char* text, int n) { _result.copy(text, n); }
    int retry() const { return _retry; }
    void retry(int retry) { _retry = retry; }
    int count() const { return _count; }
    void count(int count) { _count = count; }
    int seq() const { return _seq; }
    void seq(int seq) { _seq = seq; }
    VnTime& timestart() { return _timestart; }
    const VnTime& timestart() const { return _timestart; }
    void timestart(const VnTime& time) { _timestart = time; }
    VnTime& timecomplete() { return _timecomplete; }
    const VnTime& timecomplete() const { return _timecomplete; }
    void timecomplete(const VnTime& time) { _timecomplete = time; }

    // pid's remainder of n, with the sign of pid; 0 for n of 0 or -1.
    int sid(int n) const;

    // Each asks the status.
    int active() const { return _status.active(); }
    int done() const { return _status.done(); }
    int assigned() const { return _status.assigned(); }
    int none() const { return _status.none(); }
    int pending() const { return _status.pending(); }
    int suspended() const { return _status.suspended(); }
    int badlogin() const { return _status.badlogin(); }
    int waiting() const { return _status.waiting(); }
    int running() const { return _status.running(); }
    int complete() const { return _status.complete(); }
    int warning() const { return _status.warning(); }
    int blocked() const { return _status.blocked(); }
    int failed() const { return _status.failed(); }
    int killed() const { return _status.killed(); }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The last update (tag 6) is written after the count, out of numeric order.
    template <class Field>
    void fields(Field field) {
        field(1, "id", _id);
        field(2, "pid", _pid);
        field(3, "host", _host);
        field(4, "status", _status);
        field(5, "address", _address);
        field(7, "data", _data);
        field(8, "result", _result);
        field(9, "mac_address", _macaddress);
        field(10, "retry", _retry);
        field(11, "count", _count);
        field(6, "last_update", _lastupdate);
        field(12, "seq", _seq);
        field(13, "time_start", _timestart);
        field(14, "time_complete", _timecomplete);
    }

    int _id = 0;    // the instance's number within its job
    int _pid = -1;  // the job it belongs to; -1 until set
    VnAddress _address;
    VnMacAddress _macaddress;
    VnTime _lastupdate;
    VnString _host;  // the strings are undefined until given
    VnStatus _status;
    VnString _data;
    VnString _result;
    int _retry = 0;
    int _count = 0;
    int _seq = 0;
    VnTime _timestart;
    VnTime _timecomplete;
};

// A job's instances. Its status and tally are kept for the callers in memory only: the list
// never packs, reads or changes them, and assignment copies the elements alone.
class VnSubjobList : public VnList<VnSubjob> {
public:
    VnSubjobList();
    ~VnSubjobList() override;
    VnSubjobList& operator=(const VnSubjobList& other);

    int type() override;
    VnString typeXML() override;

    VnStatus status;
    VnStatusTally tally;
};

#endif  // VN_JOB_VNSUBJOB_H
