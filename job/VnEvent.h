#ifndef VN_JOB_VNEVENT_H
#define VN_JOB_VNEVENT_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// Something in the queue that a callback can wait for: a job, subjob or work item reaching a
// state, a variable or client signal, a point in time or a repetition, per job or for the
// whole queue.
//
// Full name: words joined by "-": the event's name, the category word, then the fields that
// identify the object, by category:
//     0 job           name-job-label
//     1 subjob        name-subjob-label-subid         (subid "*" for all subjobs)
//     2 work          name-work-label-workid
//     4 (none)        name-
//     5 variable      name-variable-label-varid
//     6 client        name-client-label
//     8 time          name-time-label-start
//    16 repeat        name-repeat-label-start-interval
//    32 (host)        name-host-label-hostid          (written, but "host" is not read back)
//   128 global        name-global
//   136 globaltime    name-globaltime-start
//   152 globalrepeat  name-globalrepeat-start-interval
// Categories above 127 are queue-wide. Words are cut at every "-", so a word that holds one
// and a negative number do not read back whole.
class VnEvent : public VnPack {
public:
    VnEvent();
    // A job event (category 0).
    VnEvent(int jobid, const VnString& name);
    // A subjob event (category 1); subid -2 stands for all subjobs.
    VnEvent(int jobid, int subid, const VnString& name);
    // A work event (category 2).
    VnEvent(int jobid, const VnString& workid, const VnString& name);
    // The defaults, then fullname(text).
    explicit VnEvent(const VnString& text);
    // Every field but pgrp, which keeps its default.
    VnEvent(const VnEvent& other);
    ~VnEvent() override;

    // Every field but pgrp, which stays the receiver's own.
    VnEvent& operator=(const VnEvent& other);
    void copy(const VnEvent& other);

    int id() const { return _data.id; }
    void id(int id) { _data.id = id; }
    int category() const { return _data.category; }
    void category(int category) { _data.category = category; }
    int pid() const { return _data.pid; }
    void pid(int pid) { _data.pid = pid; }
    int pgrp() const { return _pgrp; }
    void pgrp(int pgrp) { _pgrp = pgrp; }
    int jobid() const { return _data.jobid; }
    void jobid(int jobid) { _data.jobid = jobid; }
    int subid() const { return _data.subid; }
    void subid(int subid) { _data.subid = subid; }
    const VnString& name() const { return _data.name; }
    void name(const VnString& name) { _data.name = name; }
    const VnString& extra() const { return _data.extra; }
    void extra(const VnString& extra) { _data.extra = extra; }
    const VnString& label() const { return _data.label; }
    void label(const VnString& label) { _data.label = label; }
    int start() const { return _data.start; }
    void start(int start) { _data.start = start; }
    int interval() const { return _data.interval; }
    void interval(int interval) { _data.interval = interval; }
    int flag() const { return _data.flag; }
    void flag(int flag) { _data.flag = flag; }
    int callback() const { return _data.callback; }
    void callback(int callback) { _data.callback = callback; }
    // The one text id under its three names: host id, variable id and work id.
    const VnString& hostid() const { return _data.textid; }
    void hostid(const VnString& id) { _data.textid = id; }
    const VnString& varid() const { return _data.textid; }
    void varid(const VnString& id) { _data.textid = id; }
    const VnString& workid() const { return _data.textid; }
    void workid(const VnString& id) { _data.textid = id; }

    // "*" for subid -2, else subid in decimal.
    VnString subidstring() const;
    // subid := -2 for "*" or an empty text, else the text's leading integer.
    void subidstring(const VnString& text);
    // The category's word; "unknown" for a number without one (host events among them).
    VnString categorystring() const;
    // category := the number of the word, compared byte for byte; 4 for any other text.
    void categorystring(const VnString& word);
    // 1 for a queue-wide category (above 127), else 0.
    int isglobal() const;

    VnString fullname() const;
    // Reads a full name. Fields that its category does not name keep their values; a missing
    // word reads as "" or 0.
    void fullname(const VnString& text);
    // 1 when the text's second word is a category word, else 0.
    static int isvalid(const VnString& text);

    // -1 while pid is unset (negative); else pid's remainder of n, with 0 where there is none.
    int sid(int n) const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "category", _data.category);
        field(11, "label", _data.label);
        field(2, "job_id", _data.jobid);
        field(3, "sub_id", _data.subid);
        field(4, "text_id", _data.textid);
        field(8, "name", _data.name);
        field(7, "extra", _data.extra);
        field(5, "start", _data.start);
        field(6, "interval", _data.interval);
        field(9, "flag", _data.flag);
        field(10, "callback", _data.callback);
        field(12, "pid", _data.pid);
        field(13, "id", _data.id);
    }

    // The fields that travel and copy, member-wise.
    struct Data {
        int id = 0;
        int category = 4;
        int pid = -1;
        int jobid = -1;
        int subid = -1;
        VnString textid;
        VnString name;
        VnString extra;
        int start = 0;
        int interval = -1;
        int flag = 0;
        int callback = -1;
        VnString label;
    };

    Data _data;
    int _pgrp = -1;  // the owning job's group; kept only in memory, neither packed nor copied
};

VN_DECLARE_LIST(VnEventList, VnEvent, VN_TYPE_EVENT_LIST, VN_XML_EVENT_LIST)

#endif  // VN_JOB_VNEVENT_H
