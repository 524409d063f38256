#ifndef VN_JOB_VNWORK_H
#define VN_JOB_VNWORK_H

#include "base/VnFields.h"
#include "base/VnHash.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnAddress.h"
#include "job/VnStatus.h"
#include "job/VnStatusTally.h"
#include "system/VnTime.h"

// One named item of a job's agenda (a frame or a chunk of frames): the unit that a running
// job asks for and reports on. Besides its name and status it carries the subjob and host that
// handle it and a few counters and times that travel unchanged between the parties of the
// queue.
//
// Its work id is the job id, ":" and the name (12:0042), the text form of a VnWorkId.
class VnWork : public VnPack {
public:
    VnWork();
    VnWork(const VnWork& other);
    ~VnWork() override;

    // Member-wise: all seventeen fields, strings with their secure flag.
    VnWork& operator=(const VnWork& other) = default;
    void copy(const VnWork& other);

    VnString& name() { return _name; }
    const VnString& name() const { return _name; }
    void name(const VnString& name) { _name = name; }
    // The first n bytes of text; n of 0 or less empties the field, a null text changes nothing.
    void name(char* text, int n) { _name.copy(text, n); }
    VnStatus& status() { return _status; }
    const VnStatus& status() const { return _status; }
    void status(const VnStatus& status) { _status = status; }
    int subid() const { return _subid; }
    void subid(int subid) { _subid = subid; }
    VnString& host() { return _host; }
    const VnString& host() const { return _host; }
    void host(const VnString& host) { _host = host; }
    void host(char* text, int n) { _host.copy(text, n); }
    VnString& data() { return _data; }
    const VnString& data() const { return _data; }
    void data(const VnString& data) { _data = data; }
    void data(char* text, int n) { _data.copy(text, n); }
    VnString& result() { return _result; }
    const VnString& result() const { return _result; }
    void result(const VnString& result) { _result = result; }
    void result(char* text, int n) { _result.copy(text, n); }
    VnString& dependency() { return _dependency; }
    const VnString& dependency() const { return _dependency; }
    void dependency(const VnString& dependency) { _dependency = dependency; }
    void dependency(char* text, int n) { _dependency.copy(text, n); }
    // A copy, unlike the other object getters.
    VnAddress address() const { return _address; }
    void address(const VnAddress& address) { _address = address; }
    int pid() const { return _pid; }
    void pid(int pid) { _pid = pid; }
    int id() const { return _id; }
    void id(int id) { _id = id; }
    int retry() const { return _retry; }
    void retry(int retry) { _retry = retry; }
    int seq() const { return _seq; }
    void seq(int seq) { _seq = seq; }
    int count() const { return _count; }
    void count(int count) { _count = count; }
    int percent() const { return _percent; }
    void percent(int percent) { _percent = percent; }
    VnTime& lastupdate() { return _lastupdate; }
    const VnTime& lastupdate() const { return _lastupdate; }
    void lastupdate(const VnTime& time) { _lastupdate = time; }
    VnTime& timestart() { return _timestart; }
    const VnTime& timestart() const { return _timestart; }
    void timestart(const VnTime& time) { _timestart = time; }
    VnTime& timecomplete() { return _timecomplete; }
    const VnTime& timecomplete() const { return _timecomplete; }
    void timecomplete(const VnTime& time) { _timecomplete = time; }

    // pid in decimal, ":" and the name.
    VnString workid() const;
    // pid's remainder of n, with the sign of pid; 0 for n of 0 or -1.
    int sid(int n) const;

    // Each asks the status.
    int active() const { return _status.active(); }
    int assigned() const { return _status.assigned(); }
    int killed() const { return _status.killed(); }
    int running() const { return _status.running(); }
    int failed() const { return _status.failed(); }
    int suspended() const { return _status.suspended(); }
    int complete() const { return _status.complete(); }
    int warning() const { return _status.warning(); }
    int done() const { return _status.done(); }
    int pending() const { return _status.pending(); }
    int blocked() const { return _status.blocked(); }
    int waiting() const { return _status.waiting(); }
    int none() const { return _status.none(); }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "name", _name);
        field(2, "sub_id", _subid);
        field(3, "host", _host);
        field(4, "status", _status);
        field(5, "address", _address);
        field(6, "pid", _pid);
        field(7, "data", _data);
        field(8, "id", _id);
        field(9, "result", _result);
        field(10, "retry", _retry);
        field(11, "count", _count);
        field(12, "dependency", _dependency);
        field(13, "percent", _percent);
        field(14, "last_update", _lastupdate);
        field(15, "seq", _seq);
        field(16, "time_start", _timestart);
        field(17, "time_complete", _timecomplete);
    }

    VnString _name;  // the strings are undefined until given
    VnStatus _status;
    int _subid = -1;  // the subjob handling the item; -1 none
    VnString _host;
    VnString _data;
    VnString _result;
    VnString _dependency;
    VnAddress _address;
    int _pid = -1;  // the job the item belongs to
    int _id = -1;   // the item's own number
    int _retry = 0;
    int _seq = 0;  // sequence of the latest status report
    int _count = 0;
    int _percent = 0;
    VnTime _lastupdate;
    VnTime _timestart;
    VnTime _timecomplete;
};

// A job's agenda. Its status and tally are kept for the callers in memory only: the list
// never packs, reads or changes them, and assignment copies the elements alone.
class VnWorkList : public VnList<VnWork> {
public:
    VnWorkList();
    ~VnWorkList() override;
    VnWorkList& operator=(const VnWorkList& other);

    int type() override;
    VnString typeXML() override;

    VnStatus status;
    VnStatusTally tally;
};

VN_DECLARE_HASH(VnWorkHash, VnWork, VN_TYPE_WORK_HASH, VN_XML_WORK_HASH)

#endif  // VN_JOB_VNWORK_H
