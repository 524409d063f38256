#ifndef VN_JOB_VNLOG_H
#define VN_JOB_VNLOG_H

#include <cstdint>

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "job/VnCommand.h"

// One log text of a job, a subjob or a work item, with the ids it belongs to and the host it
// came from; cls is the log type (the number of logext's table).
//
// The static operations name the places of the log tree under a base directory B:
//
//     B/job/<bucket>/<N>/<N>_<S>.<ext>   per-subjob logs (out, err, sts)
//     B/job/<bucket>/<N>/<N>.<ext>       per-job files (hst, qja, acc, cb, xja, mail, map)
//     B/pgrp/<bucket>/<N>                process groups
//     B/host/<H>/<H>.hst, B/user/<U>/<U>.hst
//
// where bucket is the id truncated to a multiple of 1000 (12345 lies in 12000). Only the
// directory builders, islocal, readmap, writemap, loaddata and the loading constructors touch
// the disk; every other operation only builds a name.
//
// Any user may write into the tree, so whatever touches it opens its places one name at a
// time from the base and never follows a link at any level (see VnLogPlace): a link, or
// anything but a directory or a regular file where one is expected, reads as a missing file
// and is never written through. A file with a second hard link (which another user may have
// made to a file outside the tree) is read as it stands but never written.
class VnLog : public VnPack {
public:
    // jobid, id, subid and workid -1; logtype and cls 0; empty texts.
    VnLog();
    // The fields that copy takes come from other; id and logtype start as in VnLog().
    VnLog(const VnLog& other);
    // The whole file at path becomes the text.
    explicit VnLog(const VnString& path);
    // The section of one work item in its subjob's log: the subjob comes from the job's map file
    // (-1 when the map has no line for the item).
    VnLog(const VnString& base, int jobid, const VnString& workname, int type, int pos);
    // The log of one subjob (0 when subid is negative), read from byte pos; for a per-job type
    // the job's file of that type.
    VnLog(const VnString& base, int jobid, int subid, int type, int pos);
    ~VnLog() override;

    // Takes jobid, subid, workid, data, host, workname and cls; id and logtype stay.
    VnLog& operator=(const VnLog& other);
    void copy(const VnLog& other);

    int jobid() const { return _jobid; }
    void jobid(int jobid) { _jobid = jobid; }
    int id() const { return _id; }
    void id(int id) { _id = id; }
    int subid() const { return _subid; }
    void subid(int subid) { _subid = subid; }
    int workid() const { return _workid; }
    void workid(int workid) { _workid = workid; }
    int logtype() const { return _logtype; }
    void logtype(int logtype) { _logtype = logtype; }
    int cls() const { return _cls; }
    void cls(int cls) { _cls = cls; }
    VnString& workname() { return _workname; }
    const VnString& workname() const { return _workname; }
    void workname(const VnString& workname) { _workname = workname; }
    VnString& host() { return _host; }
    const VnString& host() const { return _host; }
    void host(const VnString& host) { _host = host; }
    VnString& data() { return _data; }
    const VnString& data() const { return _data; }
    void data(const VnString& data) { _data = data; }
    // The text becomes the n bytes at bytes (empty when n is below 1).
    void data(char* bytes, int n);
    void data(const char* bytes, int n);

    // Appends the file's bytes from offset pos (0 when negative) to its end to the text.
    // Answers the offset past the last byte read, or -1 (the text unchanged) when the file
    // does not open, is a link or is not a regular file, when reading it fails, or when it is
    // too large to hold: 2 GiB or more by its size when opened, whatever pos (not read at
    // all), more bytes past pos than the text can take beside its own (a text holds at most
    // 2 GiB - 2 bytes; not read at all either), or, for a file that reports size 0, more
    // than 64 MiB past pos.
    int loaddata(const VnString& path, int pos);
    // Appends the section of the work item to the text: every line from a "got work:" line
    // naming the item up to the next "got work:" line naming another item. The whole file is
    // scanned; pos is not used. Answers the length of the text; a file that the overload
    // above would answer -1 for from offset 0 adds nothing.
    int loaddata(const VnString& path, const VnString& workname, int pos);

    // Directory names.
    static VnString joblogdir(const VnString& base);
    static VnString joblogbasedir(const VnString& base, int jobid);
    static VnString joblogdir(const VnString& base, int jobid);
    static VnString pgrplogdir(const VnString& base);
    static VnString pgrplogbasedir(const VnString& base, int pgrp);
    static VnString pgrplogdir(const VnString& base, int pgrp);
    static VnString hostlogdir(const VnString& base);
    static VnString hostlogdir(const VnString& base, const VnString& host);
    static VnString userlogdir(const VnString& base);
    static VnString userlogdir(const VnString& base, const VnString& user);

    // File names. A type with bit 8 set (8 to 15) names a per-job file, without the subjob.
    static VnString joblogfile(const VnString& base, int jobid, int subid, int type);
    static VnString joblogfile(const VnString& base, int jobid, int type);
    // The subjob's file with the extension given, the subjob part always present.
    static VnString joblogfile(const VnString& base, int jobid, int subid, const VnString& ext);
    // The host's history file for type 208; for any other type the name ends in ".".
    static VnString hostlogfile(const VnString& base, const VnString& host, int type);
    // The user's history file for type 108; for any other type the name ends in ".".
    static VnString userlogfile(const VnString& base, const VnString& user, int type);
    // The extension of a log type: "out", "err", "sts", "hst", "qja", "acc", "cb", "xja",
    // "mail", "map" for 1, 2, 3, 8, 9, 10, 11, 13, 14, 15; "" for any other.
    static VnString logext(int type);

    // Each creates the directories of its branch down to the one named, with mode 0777
    // whatever the umask; the building stops at a level that cannot be made or is not a real
    // directory (a link in its place is neither followed nor changed). A host or user name
    // that is empty, "." or "..", or holds "/" or a NUL byte, builds nothing: it would reach
    // outside the log tree.
    static void jobbuilddir(const VnString& base, int jobid);
    static void pgrpbuilddir(const VnString& base, int pgrp);
    static void hostbuilddir(const VnString& base, const VnString& host);
    static void userbuilddir(const VnString& base, const VnString& user);

    // 1 when the job's log directory exists (reached without following a link), else 0.
    static int islocal(const VnString& base, int jobid);
    // 1 when the log directory of one of the command's jobs exists, else 0.
    static int islocal(const VnString& base, VnCommand& cmd);

    // The map file ties work item names to subjobs, one line per item:
    // job id, subjob id, work id and name joined by tabs. writemap appends such a line (the file
    // is created when missing; one with a second hard link is left as it is); a tab, carriage
    // return or line feed in the name is written as a blank, so one item is always one line.
    // readmap answers the subjob of the first line whose name equals name (blanked the same
    // way), or -1.
    static void writemap(const VnString& base, int jobid, int subid, int workid, const VnString& name);
    static int readmap(const VnString& base, int jobid, const VnString& name);

    // The line written into a log between two runs of a subjob, with the current time.
    static VnString separate(int jobid, int subid);
    // "vorn", the process id, "u", the counter and ".tmp"; then the counter grows by one.
    static VnString uniquefile();

    // Numbers the names that uniquefile makes; starts at 0.
    static int _log_unique;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // Special case: id and logtype are not serialised.
    template <class Field>
    void fields(Field field) {
        field(1, "job_id", _jobid);
        field(2, "sub_id", _subid);
        field(3, "data", _data);
        field(5, "host", _host);
        field(4, "cls", _cls);
        field(6, "work_id", _workid);
        field(7, "work_name", _workname);
    }

    int _jobid;
    int _id;
    int _subid;
    int _workid;
    VnString _workname;
    int _logtype;
    VnString _host;
    VnString _data;
    int _cls;
};

// The packable list of logs, filled from the log tree by its loads.
class VnLogList : public VnList<VnLog> {
public:
    VnLogList();
    ~VnLogList() override;

    // A deep copy of other's logs; each list keeps its own packing state.
    VnLogList& operator=(const VnLogList& other) = default;

    // The most bytes of the tree's files that one load reads.
    static constexpr std::int64_t kMaxText = std::int64_t(256) << 20;

    // Appends one log of the type per work id of the command (the item's section), then one
    // per job id (the subjob's log, read from the offset of the last "pos" filter). A work id
    // or a subjob named more than once gives one log. Each job's map, and each subjob's log, is
    // read and gone through once for all the items of the command.
    void load(const VnString& base, VnCommand& cmd, int type);
    // Appends one log per subjob that a file of the type in the job's log directory names;
    // names that read as the same subjob ("12_1.out", "12x1.out", "12_01.out") give one log.
    //
    // Each load reads every file at most once and at most kMaxText bytes in all: the logs
    // whose files would pass that are left out, and the debug log says how many were.
    void load(const VnString& base, int jobid, int type);

    int type() override;
    VnString typeXML() override;
};

// A copy of text with every byte that is one of breaks written as a blank; the writers of the
// log tree's line files keep one record to one line with it.
VnString _vn_log_blanked(const VnString& text, const char* breaks);

// The bytes of map and log texts that the readers of work items have gone through in this
// process, summed over every call; tests count work with it. A list load goes through each map
// and each log once, whatever the number of items it lists.
std::int64_t _vn_log_scanned();

#endif  // VN_JOB_VNLOG_H
