#ifndef VN_JOB_VNASSIGNMENT_H
#define VN_JOB_VNASSIGNMENT_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnAddress.h"
#include "job/VnJob.h"
#include "job/VnJobStats.h"
#include "job/VnSubjob.h"
#include "job/VnVariable.h"
#include "job/VnWork.h"
#include "system/VnTime.h"

// What a worker hands a running job program: the job, the subjob that the program is, the work
// items given to it, its process and thread ids, four positions in the subjob's output and
// error logs, the start time, the job's variables and the address of the server.
//
// The worker host's name and port, the order, the session id, the time of the last post and
// the flags verified, missing and started are kept in memory only: a record that is read keeps
// its own. The units of the log positions are the worker's.
class VnAssignment : public VnPack {
public:
    // missing 1; verified, started, develop, the ids, positions, order and port 0.
    VnAssignment();
    // A new assignment, then copy(other).
    VnAssignment(const VnAssignment& other);
    ~VnAssignment() override;

    VnAssignment& operator=(const VnAssignment& other);
    // Takes the job, subjob, statistics, process and thread ids, the four log positions, the
    // development flag and the server address of other. The work, variables, start time, last
    // post, host, port, order, session id and the flags verified, missing and started stay as
    // they are here.
    void copy(const VnAssignment& other);

    VnJob& job() { return _job; }
    const VnJob& job() const { return _job; }
    void job(const VnJob& job) { _job.copy(job); }
    VnSubjob& subjob() { return _subjob; }
    const VnSubjob& subjob() const { return _subjob; }
    void subjob(const VnSubjob& subjob) { _subjob.copy(subjob); }
    VnJobStats& jobstats() { return _jobstats; }
    const VnJobStats& jobstats() const { return _jobstats; }
    void jobstats(const VnJobStats& jobstats) { _jobstats.copy(jobstats); }
    VnWorkHash& work() { return _work; }
    const VnWorkHash& work() const { return _work; }
    VnVariableHash& variable() { return _variable; }
    const VnVariableHash& variable() const { return _variable; }
    VnTime& lastpost() { return _lastpost; }
    const VnTime& lastpost() const { return _lastpost; }
    VnTime& timestart() { return _timestart; }
    const VnTime& timestart() const { return _timestart; }

    int procid() const { return _procid; }
    void procid(int procid) { _procid = procid; }
    int threadid() const { return _threadid; }
    void threadid(int threadid) { _threadid = threadid; }
    int order() const { return _order; }
    void order(int order) { _order = order; }
    int outpos() const { return _outpos; }
    void outpos(int outpos) { _outpos = outpos; }
    int errpos() const { return _errpos; }
    void errpos(int errpos) { _errpos = errpos; }
    int outstartpos() const { return _outstartpos; }
    void outstartpos(int outstartpos) { _outstartpos = outstartpos; }
    int errstartpos() const { return _errstartpos; }
    void errstartpos(int errstartpos) { _errstartpos = errstartpos; }
    int port() const { return _port; }
    void port(int port) { _port = port; }

    unsigned char verified() const { return _verified; }
    void verified(unsigned char verified) { _verified = verified; }
    unsigned char develop() const { return _develop; }
    void develop(unsigned char develop) { _develop = develop; }
    unsigned char started() const { return _started; }
    void started(unsigned char started) { _started = started; }
    unsigned char missing() const { return _missing; }
    void missing(unsigned char missing) { _missing = missing; }

    VnString& host() { return _host; }
    const VnString& host() const { return _host; }
    // Takes the text and its secure flag.
    void host(const VnString& host) { _host.copy(host); }
    VnString& sid() { return _sid; }
    const VnString& sid() const { return _sid; }
    void sid(const VnString& sid) { _sid = sid; }

    // A copy, unlike the other object getters.
    VnAddress serveraddress() const { return _serveraddress; }
    void serveraddress(const VnAddress& address) { _serveraddress.copy(address); }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The fourteen serialised fields in write order; the members kept in memory only are not
    // in the list.
    template <class Field>
    void fields(Field field) {
        field(1, "job", _job);
        field(2, "subjob", _subjob);
        field(3, "proc_id", _procid);
        field(4, "thread_id", _threadid);
        field(5, "stats", _jobstats);
        field(6, "outpos", _outpos);
        field(7, "errpos", _errpos);
        field(8, "work", _work);
        field(9, "develop", _develop);
        field(10, "time_start", _timestart);
        field(11, "variable", _variable);
        field(12, "server_address", _serveraddress);
        field(13, "outstartpos", _outstartpos);
        field(14, "errstartpos", _errstartpos);
    }

    unsigned char _verified = 0;
    VnJob _job;
    VnSubjob _subjob;
    VnJobStats _jobstats;
    int _procid = 0;
    int _threadid = 0;
    unsigned char _missing = 1;
    unsigned char _started = 0;
    int _order = 0;
    int _outpos = 0;
    int _errpos = 0;
    int _outstartpos = 0;
    int _errstartpos = 0;
    VnString _host;  // the worker host's name; undefined until given
    int _port = 0;
    VnWorkHash _work;  // work items keyed by text
    VnVariableHash _variable;
    VnTime _lastpost;
    VnTime _timestart;
    unsigned char _develop = 0;
    VnAddress _serveraddress;
    VnString _sid;  // undefined until given
};

VN_DECLARE_LIST(VnAssignmentList, VnAssignment, VN_TYPE_ASSIGNMENT_LIST, VN_XML_ASSIGNMENT_LIST)

#endif  // VN_JOB_VNASSIGNMENT_H
