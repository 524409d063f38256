#ifndef VN_JOB_VNJOB_H
#define VN_JOB_VNJOB_H

#include "base/VnFields.h"
#include "base/VnHash.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnPackage.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnAddress.h"
#include "farm/VnPathMap.h"
#include "job/VnCallback.h"
#include "job/VnStatus.h"
#include "job/VnStatusTally.h"
#include "job/VnSubjob.h"
#include "job/VnVariable.h"
#include "job/VnWork.h"
#include "system/VnEnv.h"
#include "system/VnTime.h"

class VnJob;

// Jobs in replies and as a job's children.
VN_DECLARE_LIST(VnJobList, VnJob, VN_TYPE_JOB_LIST, VN_XML_JOB_LIST)

// One job of the queue: its identity and owner, what it asks for (instances, hosts,
// resources), its type and data, its status and counts, its instances, its agenda of work
// items, its child jobs, callbacks and variables, and its times.
//
// The library carries most fields unchanged: the supervisor computes the statuses and tallies.
// The job itself answers only a few questions (grid, elite, multiprocessor), makes its
// placement key (stub), takes a partial copy (base) and converts its data to and from a
// package.
class VnJob : public VnPack {
public:
    // id 1; pid, pgrp, priority, timeout and both retry counts -1; cpus 1; every other number
    // 0; strings undefined, statuses "none", times 0, lists empty.
    VnJob();
    VnJob(const VnJob& other);
    ~VnJob() override;

    // Takes the serialised fields, the lists deeply; count, watch and subjobswaiting stay.
    VnJob& operator=(const VnJob& other);
    void copy(const VnJob& other);
    // Takes the identity, placement, type, data, tallies, times and environment of other,
    // but not its lists, the agenda, mask and subjob statuses, reason, prototype path and
    // source host, which stay as they are here.
    void base(const VnJob& other);

    int id() const { return _s.id; }
    void id(int id) { _s.id = id; }
    int pid() const { return _s.pid; }
    void pid(int pid) { _s.pid = pid; }
    int pgrp() const { return _s.pgrp; }
    void pgrp(int pgrp) { _s.pgrp = pgrp; }
    int priority() const { return _s.priority; }
    void priority(int priority) { _s.priority = priority; }
    int timeout() const { return _s.timeout; }
    void timeout(int timeout) { _s.timeout = timeout; }
    int localorder() const { return _s.localorder; }
    void localorder(int order) { _s.localorder = order; }
    int globalorder() const { return _s.globalorder; }
    void globalorder(int order) { _s.globalorder = order; }
    int retrysubjob() const { return _s.retrysubjob; }
    void retrysubjob(int retry) { _s.retrysubjob = retry; }
    int retrywork() const { return _s.retrywork; }
    void retrywork(int retry) { _s.retrywork = retry; }
    int flags() const { return _s.flags; }
    void flags(int flags) { _s.flags = flags; }
    int immediatecpus() const { return _s.immediatecpus; }
    void immediatecpus(int cpus) { _s.immediatecpus = cpus; }
    int todo() const { return _s.todo; }
    void todo(int todo) { _s.todo = todo; }
    int serverid() const { return _s.serverid; }
    void serverid(int serverid) { _s.serverid = serverid; }
    int cpus() const { return _s.cpus; }
    // Stores 1 in place of a value below 1.
    void cpus(int cpus) { _s.cpus = cpus > 0 ? cpus : 1; }

    // Kept in memory only: never packed, and a copy leaves them as they are.
    int count() const { return _count; }
    void count(int count) { _count = count; }
    int watch() const { return _watch; }
    void watch(int watch) { _watch = watch; }
    int subjobswaiting() const { return _subjobswaiting; }
    void subjobswaiting(int waiting) { _subjobswaiting = waiting; }

    // Each string has a second setter taking the first n bytes of text: n of 0 or less empties
    // the field, a null text changes nothing.
    const VnString& user() const { return _s.user; }
    void user(const VnString& user) { _s.user = user; }
    void user(char* text, int n) { _s.user.copy(text, n); }
    const VnString& domain() const { return _s.domain; }
    void domain(const VnString& domain) { _s.domain = domain; }
    void domain(char* text, int n) { _s.domain.copy(text, n); }
    const VnString& password() const { return _s.password; }
    void password(const VnString& password) { _s.password = password; }
    void password(char* text, int n) { _s.password.copy(text, n); }
    const VnString& name() const { return _s.name; }
    void name(const VnString& name) { _s.name = name; }
    void name(char* text, int n) { _s.name.copy(text, n); }
    const VnString& label() const { return _s.label; }
    void label(const VnString& label) { _s.label = label; }
    void label(char* text, int n) { _s.label.copy(text, n); }
    const VnString& cluster() const { return _s.cluster; }
    void cluster(const VnString& cluster) { _s.cluster = cluster; }
    void cluster(char* text, int n) { _s.cluster.copy(text, n); }
    const VnString& data() const { return _s.data; }
    void data(const VnString& data) { _s.data = data; }
    void data(char* text, int n) { _s.data.copy(text, n); }
    const VnString& queue() const { return _s.queue; }
    void queue(const VnString& queue) { _s.queue = queue; }
    void queue(char* text, int n) { _s.queue.copy(text, n); }
    const VnString& prototype() const { return _s.prototype; }
    void prototype(const VnString& prototype) { _s.prototype = prototype; }
    void prototype(char* text, int n) { _s.prototype.copy(text, n); }
    const VnString& kind() const { return _s.kind; }
    void kind(const VnString& kind) { _s.kind = kind; }
    void kind(char* text, int n) { _s.kind.copy(text, n); }
    const VnString& path() const { return _s.path; }
    void path(const VnString& path) { _s.path = path; }
    void path(char* text, int n) { _s.path.copy(text, n); }
    const VnString& reason() const { return _s.reason; }
    void reason(const VnString& reason) { _s.reason = reason; }
    void reason(char* text, int n) { _s.reason.copy(text, n); }
    const VnString& account() const { return _s.account; }
    void account(const VnString& account) { _s.account = account; }
    void account(char* text, int n) { _s.account.copy(text, n); }
    const VnString& notes() const { return _s.notes; }
    void notes(const VnString& notes) { _s.notes = notes; }
    void notes(char* text, int n) { _s.notes.copy(text, n); }
    const VnString& groups() const { return _s.groups; }
    void groups(const VnString& groups) { _s.groups = groups; }
    void groups(char* text, int n) { _s.groups.copy(text, n); }
    const VnString& hosts() const { return _s.hosts; }
    void hosts(const VnString& hosts) { _s.hosts = hosts; }
    void hosts(char* text, int n) { _s.hosts.copy(text, n); }
    const VnString& omithosts() const { return _s.omithosts; }
    void omithosts(const VnString& hosts) { _s.omithosts = hosts; }
    void omithosts(char* text, int n) { _s.omithosts.copy(text, n); }
    const VnString& omitgroups() const { return _s.omitgroups; }
    void omitgroups(const VnString& groups) { _s.omitgroups = groups; }
    void omitgroups(char* text, int n) { _s.omitgroups.copy(text, n); }
    const VnString& hostorder() const { return _s.hostorder; }
    void hostorder(const VnString& order) { _s.hostorder = order; }
    void hostorder(char* text, int n) { _s.hostorder.copy(text, n); }
    const VnString& logpath() const { return _s.logpath; }
    void logpath(const VnString& path) { _s.logpath = path; }
    void logpath(char* text, int n) { _s.logpath.copy(text, n); }
    const VnString& restrictions() const { return _s.restrictions; }
    void restrictions(const VnString& text) { _s.restrictions = text; }
    void restrictions(char* text, int n) { _s.restrictions.copy(text, n); }
    const VnString& requirements() const { return _s.requirements; }
    void requirements(const VnString& text) { _s.requirements = text; }
    void requirements(char* text, int n) { _s.requirements.copy(text, n); }
    const VnString& reservations() const { return _s.reservations; }
    void reservations(const VnString& text) { _s.reservations = text; }
    void reservations(char* text, int n) { _s.reservations.copy(text, n); }
    const VnString& dependency() const { return _s.dependency; }
    void dependency(const VnString& text) { _s.dependency = text; }
    void dependency(char* text, int n) { _s.dependency.copy(text, n); }
    const VnString& mailaddress() const { return _s.mailaddress; }
    void mailaddress(const VnString& address) { _s.mailaddress = address; }
    void mailaddress(char* text, int n) { _s.mailaddress.copy(text, n); }
    const VnString& prototypepath() const { return _s.prototypepath; }
    void prototypepath(const VnString& path) { _s.prototypepath = path; }
    void prototypepath(char* text, int n) { _s.prototypepath.copy(text, n); }

    const VnStatus& status() const { return _s.status; }
    void status(const VnStatus& status) { _s.status = status; }
    const VnStatus& maskstatus() const { return _s.maskstatus; }
    void maskstatus(const VnStatus& status) { _s.maskstatus = status; }
    const VnStatus& agendastatus() const { return _s.agendastatus; }
    void agendastatus(const VnStatus& status) { _s.agendastatus = status; }
    const VnStatus& subjobstatus() const { return _s.subjobstatus; }
    void subjobstatus(const VnStatus& status) { _s.subjobstatus = status; }

    const VnTime& timesubmit() const { return _s.timesubmit; }
    void timesubmit(const VnTime& time) { _s.timesubmit = time; }
    const VnTime& timestart() const { return _s.timestart; }
    void timestart(const VnTime& time) { _s.timestart = time; }
    const VnTime& timecomplete() const { return _s.timecomplete; }
    void timecomplete(const VnTime& time) { _s.timecomplete = time; }
    const VnTime& lastupdate() const { return _s.lastupdate; }
    void lastupdate(const VnTime& time) { _s.lastupdate = time; }
    const VnTime& deadline() const { return _s.deadline; }
    void deadline(const VnTime& time) { _s.deadline = time; }

    // A copy, unlike the other object getters.
    VnAddress sourcehost() const { return _s.sourcehost; }
    void sourcehost(const VnAddress& address) { _s.sourcehost = address; }

    // Given out to be changed in place; no setters.
    VnSubjobList& subjobs() { return _s.subjobs; }
    VnWorkList& agenda() { return _s.agenda; }
    VnJobList& children() { return _s.children; }
    VnCallbackList& callbacks() { return _s.callbacks; }
    VnVariableList& variables() { return _s.variables; }
    VnStatusTally& cpustally() { return _s.cpustally; }
    VnStatusTally& todotally() { return _s.todotally; }
    VnPathMap& pathmap() { return _s.pathmap; }
    VnEnv& env() { return _s.env; }
    const VnSubjobList& subjobs() const { return _s.subjobs; }
    const VnWorkList& agenda() const { return _s.agenda; }
    const VnJobList& children() const { return _s.children; }
    const VnCallbackList& callbacks() const { return _s.callbacks; }
    const VnVariableList& variables() const { return _s.variables; }
    const VnStatusTally& cpustally() const { return _s.cpustally; }
    const VnStatusTally& todotally() const { return _s.todotally; }
    const VnPathMap& pathmap() const { return _s.pathmap; }
    const VnEnv& env() const { return _s.env; }

    // The names of the set flags, as vn_job_flag_string gives them.
    VnString flagsstring() const;
    // Sets the flags from names or a number, as vn_job_flag_int reads them; answers the flags.
    int flagsstring(const VnString& text);

    // Each asks the status.
    int pending() const { return _s.status.pending(); }
    int waiting() const { return _s.status.waiting(); }
    int assigned() const { return _s.status.assigned(); }
    int none() const { return _s.status.none(); }

    // The grid flag is set and more than one instance is asked for.
    int grid() const;
    // The elite flag is set.
    int elite() const;
    // The reservations give "host.processors" a count of 2 or more.
    int multiprocessor() const;
    // id's remainder of n, with the sign of id; 0 for n of 0 or -1.
    int sid(int n) const;

    // The placement key: cluster, priority, reservations, restrictions, requirements, groups,
    // hosts, flags, local order, global order, watch, omitted hosts and omitted groups, run
    // together without separators; numbers in decimal, undefined strings as nothing.
    VnString stub() const;

    // The data read as a package; the job is unchanged.
    VnPackage package() const;
    // Sets the data to the package's compact text.
    void package(const VnPackage& package);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The serialised fields, in declaration order. Assignment takes them all, the lists
    // deeply; the copy of a job is this assignment.
    struct Serialised {
        int id = 1;  // 1, not -1, until the supervisor gives one
        int pid = -1;
        int pgrp = -1;
        int priority = -1;
        int globalorder = 0;
        int localorder = 0;
        int flags = 0;
        VnStatus status;
        VnStatus maskstatus;
        VnStatus agendastatus;
        VnStatus subjobstatus;
        VnString user;  // the strings are undefined until given
        VnString domain;
        VnString password;
        VnString name;
        VnString label;
        VnString cluster;
        VnTime timesubmit;
        VnTime timestart;
        VnTime timecomplete;
        VnString data;
        VnString queue;
        VnEnv env;
        int cpus = 1;
        int immediatecpus = 0;
        int todo = 0;
        VnString prototype;
        VnString kind;
        VnString path;
        VnString reason;
        VnString account;
        VnString notes;
        VnString groups;
        VnString hosts;
        VnString omithosts;
        VnString omitgroups;
        VnString hostorder;
        VnString logpath;
        VnString restrictions;
        VnString requirements;
        VnString reservations;
        VnString dependency;
        VnString mailaddress;
        VnString prototypepath;
        VnAddress sourcehost;
        VnStatusTally cpustally;
        VnStatusTally todotally;
        VnPathMap pathmap;
        VnSubjobList subjobs;
        VnVariableList variables;
        VnJobList children;
        VnWorkList agenda;
        VnCallbackList callbacks;
        VnTime lastupdate;
        VnTime deadline;
        int timeout = -1;
        int serverid = -1;
        int retrysubjob = -1;
        int retrywork = -1;
    };

    // All 59 serialised fields in write order. Not in the list: count, watch and
    // subjobswaiting, which never travel.
    template <class Field>
    void fields(Field field) {
        field(1, "id", _s.id);
        field(2, "pid", _s.pid);
        field(4, "priority", _s.priority);
        field(31, "local_order", _s.localorder);
        field(32, "global_order", _s.globalorder);
        field(3, "pgrp", _s.pgrp);
        field(5, "user", _s.user);
        field(38, "domain", _s.domain);
        field(35, "password", _s.password);
        field(6, "status", _s.status);
        field(7, "subjobs", _s.subjobs);
        field(8, "name", _s.name);
        field(12, "cpus", _s.cpus);
        field(20, "todo", _s.todo);
        field(9, "cluster", _s.cluster);
        field(10, "children", _s.children);
        field(11, "agenda", _s.agenda);
        field(13, "callbacks", _s.callbacks);
        field(14, "requirements", _s.requirements);
        field(30, "reservations", _s.reservations);
        field(34, "restrictions", _s.restrictions);
        field(36, "groups", _s.groups);
        field(37, "hosts", _s.hosts);
        field(41, "host_order", _s.hostorder);
        field(15, "data", _s.data);
        field(33, "queue", _s.queue);
        field(16, "prototype", _s.prototype);
        field(17, "path", _s.path);
        field(18, "reason", _s.reason);
        field(19, "logpath", _s.logpath);
        field(21, "cpus_tally", _s.cpustally);
        field(22, "todo_tally", _s.todotally);
        field(23, "time_submit", _s.timesubmit);
        field(39, "time_start", _s.timestart);
        field(24, "time_complete", _s.timecomplete);
        field(26, "flags", _s.flags);
        field(27, "label", _s.label);
        field(28, "account", _s.account);
        field(29, "env", _s.env);
        field(40, "kind", _s.kind);
        field(42, "server_id", _s.serverid);
        field(43, "last_update", _s.lastupdate);
        field(44, "timeout", _s.timeout);
        field(47, "variables", _s.variables);
        field(48, "agenda_status", _s.agendastatus);
        field(49, "subjob_status", _s.subjobstatus);
        field(50, "path_map", _s.pathmap);
        field(51, "retry_subjob", _s.retrysubjob);
        field(52, "retry_work", _s.retrywork);
        field(53, "omit_hosts", _s.omithosts);
        field(60, "omit_groups", _s.omitgroups);
        field(54, "dependency", _s.dependency);
        field(55, "deadline", _s.deadline);
        field(56, "mail_address", _s.mailaddress);
        field(57, "notes", _s.notes);
        field(58, "prototype_path", _s.prototypepath);
        field(59, "source_host", _s.sourcehost);
        field(61, "immediate_cpus", _s.immediatecpus);
        field(62, "mask_status", _s.maskstatus);
    }

    // Whether job stands among this job's children, at any depth.
    bool holds(const VnJob& job) const;

    Serialised _s;
    int _count = 0;
    int _watch = 0;
    int _subjobswaiting = 0;
};

// Jobs keyed by their labels.
VN_DECLARE_HASH(VnJobLabelHash, VnJob, VN_TYPE_JOB_LABEL_HASH, VN_XML_JOB_LABEL_HASH)

#endif  // VN_JOB_VNJOB_H
