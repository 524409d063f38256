#ifndef VN_JOB_VNHISTORY_H
#define VN_JOB_VNHISTORY_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "system/VnTime.h"

class VnHistoryList;

// One event in the history of a job, one of its subjobs or one of its work items.
//
// History files of the log tree hold one line per event, six fields joined by tabs:
//
//     "[" time text "]"  seconds  kind  job id  target  comment
//
// where kind is "job", "subjob" or "work", the target "-1", the subjob id or the work item's
// name, and the comment text A " (" text B ")". The writers build such a line with the current
// time; the readers append one record per line of a job's or a host's history file.
class VnHistory : public VnPack {
public:
    // jobid and subid -1, no time stamp, empty texts.
    VnHistory();
    VnHistory(const VnHistory& other) = default;
    ~VnHistory() override;

    // Takes every field.
    VnHistory& operator=(const VnHistory& other) = default;
    void copy(const VnHistory& other);

    int jobid() const { return _jobid; }
    void jobid(int jobid) { _jobid = jobid; }
    int subid() const { return _subid; }
    void subid(int subid) { _subid = subid; }
    VnTime& stamp() { return _stamp; }
    const VnTime& stamp() const { return _stamp; }
    void stamp(const VnTime& stamp) { _stamp = stamp; }
    VnString& comment() { return _comment; }
    const VnString& comment() const { return _comment; }
    void comment(const VnString& comment) { _comment = comment; }
    VnString& workid() { return _workid; }
    const VnString& workid() const { return _workid; }
    void workid(const VnString& workid) { _workid = workid; }

    // The history line of an event of the job, of one subjob, or of one work item, stamped with
    // the current time. A carriage return or line feed in a or b, and a tab, carriage return or
    // line feed in the work name, is written as a blank, so one event is always one line.
    static VnString data(int jobid, const VnString& a, const VnString& b);
    static VnString data(int jobid, int subid, const VnString& a, const VnString& b);
    static VnString data(int jobid, const VnString& workid, const VnString& a, const VnString& b);

    // Each appends to out one record per line of the job's history file (a missing file adds
    // nothing): every line; only the "work" lines of the item; or only the "subjob" and "work"
    // lines whose target reads as the subjob id.
    //
    // The file is reached without following a link and read only when it is a regular file
    // of less than 2 GiB: a larger one adds nothing, and the debug log says it was too large.
    // A line longer than 64 KiB gives the record of its first 64 KiB; the rest of it is passed
    // over. The records of one call take at most 32 bytes of memory per byte of the file read
    // plus 16 MiB: past that the reading stops, the records made so far stay, and the debug
    // log says that the file was cut short.
    static void query(const VnString& base, int jobid, VnHistoryList& out);
    static void query(const VnString& base, int jobid, const VnString& workid, VnHistoryList& out);
    static void query(const VnString& base, int jobid, int subid, VnHistoryList& out);
    // Appends one record per line of the host's history file, read the same way. A host name
    // that is empty, "." or "..", or holds "/" or a NUL byte, reads nothing.
    static void queryHost(const VnString& base, const VnString& host, VnHistoryList& out);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "job_id", _jobid);
        field(2, "sub_id", _subid);
        field(4, "stamp", _stamp);
        field(3, "comment", _comment);
        field(5, "work_id", _workid);
    }

    int _jobid;
    int _subid;
    VnTime _stamp;
    VnString _comment;
    VnString _workid;
};

VN_DECLARE_LIST(VnHistoryList, VnHistory, VN_TYPE_HISTORY_LIST, VN_XML_HISTORY_LIST)

#endif  // VN_JOB_VNHISTORY_H
