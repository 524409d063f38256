#ifndef VN_JOB_VNJOBGRAPH_H
#define VN_JOB_VNJOBGRAPH_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "job/VnJob.h"
#include "job/VnJobLink.h"
#include "job/VnJobNode.h"

// Jobs submitted together with the order in which they may run: nodes that hold the jobs,
// links between their labels, and graph-wide scheduling values that fill in what the node
// jobs leave unset. compile turns the graph into plain jobs whose dependencies are
// "done-job-" expressions over the labels.
class VnJobGraph : public VnPack {
public:
    // priority and pgrp -1; orders, flags and cpus 0; strings undefined; no nodes, no links.
    VnJobGraph();
    // The default graph, then the nodes and links of other, as copy takes them.
    VnJobGraph(const VnJobGraph& other);
    ~VnJobGraph() override;

    // Takes copies of other's nodes and links; the graph-wide values here stay as they are.
    VnJobGraph& operator=(const VnJobGraph& other);
    void copy(const VnJobGraph& other);

    // Given out to be changed in place.
    VnJobNodeList& jobs() { return _jobs; }
    VnJobLinkList& links() { return _links; }
    const VnJobNodeList& jobs() const { return _jobs; }
    const VnJobLinkList& links() const { return _links; }

    int priority() const { return _priority; }
    void priority(int priority) { _priority = priority; }
    int pgrp() const { return _pgrp; }
    void pgrp(int pgrp) { _pgrp = pgrp; }
    int localorder() const { return _localorder; }
    void localorder(int order) { _localorder = order; }
    int globalorder() const { return _globalorder; }
    void globalorder(int order) { _globalorder = order; }
    int flags() const { return _flags; }
    void flags(int flags) { _flags = flags; }
    int cpus() const { return _cpus; }
    // Stores 1 in place of a value below 1.
    void cpus(int cpus) { _cpus = cpus > 0 ? cpus : 1; }

    const VnString& user() const { return _user; }
    void user(const VnString& user) { _user = user; }
    const VnString& domain() const { return _domain; }
    void domain(const VnString& domain) { _domain = domain; }
    const VnString& queue() const { return _queue; }
    void queue(const VnString& queue) { _queue = queue; }
    const VnString& account() const { return _account; }
    void account(const VnString& account) { _account = account; }
    const VnString& name() const { return _name; }
    void name(const VnString& name) { _name = name; }
    const VnString& restrictions() const { return _restrictions; }
    void restrictions(const VnString& text) { _restrictions = text; }
    const VnString& hosts() const { return _hosts; }
    void hosts(const VnString& hosts) { _hosts = hosts; }
    const VnString& groups() const { return _groups; }
    void groups(const VnString& groups) { _groups = groups; }
    const VnString& reservations() const { return _reservations; }
    void reservations(const VnString& text) { _reservations = text; }
    const VnString& requirements() const { return _requirements; }
    void requirements(const VnString& text) { _requirements = text; }
    const VnString& cluster() const { return _cluster; }
    void cluster(const VnString& cluster) { _cluster = cluster; }

    // The names of the set flags, as vn_job_flag_string gives them.
    VnString flagsstring() const;
    // Sets the flags from names or a number, as vn_job_flag_int reads them; answers the flags.
    int flagsstring(const VnString& text);

    // Appends to out (which owns them) one new job per node, in node order: a copy of the
    // node's job with the graph's values in the fields it leaves unset. A job whose label ends
    // links gets the dependency "done-job-" and the start label of each such link, in link
    // order, joined by " and ", and the subjob status "blocked". When several nodes share a
    // label, only the last of their jobs takes the dependency; every job stays in out. The
    // graph is not changed. Answers 1.
    int compile(VnJobList& out) const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // Written out of declaration order; the node list stands under "job_list".
    template <class Field>
    void fields(Field field) {
        field(2, "job_list", _jobs);
        field(1, "job_link_list", _links);
        field(4, "priority", _priority);
        field(31, "local_order", _localorder);
        field(32, "global_order", _globalorder);
        field(5, "user", _user);
        field(38, "domain", _domain);
        field(8, "name", _name);
        field(12, "cpus", _cpus);
        field(9, "cluster", _cluster);
        field(14, "requirements", _requirements);
        field(30, "reservations", _reservations);
        field(34, "restrictions", _restrictions);
        field(36, "groups", _groups);
        field(37, "hosts", _hosts);
        field(33, "queue", _queue);
        field(26, "flags", _flags);
        field(28, "account", _account);
        field(39, "pgrp", _pgrp);
    }

    // Gives the job the graph's value in each field it leaves unset; never the pgrp.
    void fillUnset(VnJob& job) const;

    VnJobLinkList _links;
    VnJobNodeList _jobs;
    VnString _cluster;
    int _priority = -1;
    int _globalorder = 0;
    int _localorder = 0;
    int _flags = 0;
    VnString _user;
    VnString _domain;
    VnString _name;
    VnString _queue;
    int _cpus = 0;
    int _pgrp = -1;
    VnString _account;
    VnString _groups;
    VnString _hosts;
    VnString _restrictions;
    VnString _requirements;
    VnString _reservations;
};

#endif  // VN_JOB_VNJOBGRAPH_H
