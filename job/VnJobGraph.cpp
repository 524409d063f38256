#include "job/VnJobGraph.h"

#include <map>
#include <memory>
#include <new>
#include <string>

#include "job/VnStatus.h"
#include "system/VnFlag.h"

namespace {

// Labels compare byte for byte, as VnString's == does: undefined and empty are one label.
std::string keyOf(const VnString& label) {
    return std::string(label.value(), static_cast<std::size_t>(label.length()));
}

bool unset(const VnString& text) {
    return text.length() == 0;
}

}  // namespace

VnJobGraph::VnJobGraph() = default;

VnJobGraph::VnJobGraph(const VnJobGraph& other) : VnPack(other) {
    copy(other);
}

VnJobGraph::~VnJobGraph() = default;

// The lists copy themselves safely, even from themselves.
VnJobGraph& VnJobGraph::operator=(const VnJobGraph& other) {
    _jobs = other._jobs;
    _links = other._links;
    return *this;
}

void VnJobGraph::copy(const VnJobGraph& other) {
    *this = other;
}

VnString VnJobGraph::flagsstring() const {
    return vn_job_flag_string(_flags);
}

int VnJobGraph::flagsstring(const VnString& text) {
    _flags = vn_job_flag_int(text);
    return _flags;
}

void VnJobGraph::fillUnset(VnJob& job) const {
    if (job.priority() < 0) job.priority(_priority);
    if (unset(job.cluster())) job.cluster(_cluster);
    if (unset(job.name())) job.name(_name);
    if (job.localorder() < 0) job.localorder(_localorder);
    if (job.globalorder() < 0) job.globalorder(_globalorder);
    if (unset(job.user())) job.user(_user);
    if (unset(job.domain())) job.domain(_domain);
    if (job.cpus() < 1) job.cpus(_cpus);  // a graph value below 1 gives 1
    if (unset(job.requirements())) job.requirements(_requirements);
    if (unset(job.reservations())) job.reservations(_reservations);
    if (unset(job.restrictions())) job.restrictions(_restrictions);
    if (unset(job.groups())) job.groups(_groups);
    if (unset(job.hosts())) job.hosts(_hosts);
    if (unset(job.queue())) job.queue(_queue);
    if (job.flags() == 0) job.flags(_flags);  // the whole word, not single bits
    if (unset(job.account())) job.account(_account);
}

// The label index points into out, which owns the jobs, and never deletes one; a later node
// of a shared label takes the earlier one's place. The dependency texts are gathered per end
// label in one pass over the links. Labels come from outside, so both are ordered maps: each
// look-up costs O(log n) comparisons whatever the labels, and the work grows with the nodes
// plus the links times that.
int VnJobGraph::compile(VnJobList& out) const {
    std::map<std::string, VnJob*> index;
    for (int i = 0; i < _jobs.length(); ++i) {
        const VnJobNode* node = _jobs.get(i);
        if (!node) continue;
        std::unique_ptr<VnJob> job(new VnJob(node->job()));
        fillUnset(*job);
        if (!out.push(job.get())) throw std::bad_alloc();
        VnJob* held = job.release();
        index[keyOf(held->label())] = held;
    }

    std::map<std::string, VnString> waits;  // end label: its dependency text
    for (int i = 0; i < _links.length(); ++i) {
        const VnJobLink* link = _links.get(i);
        if (!link) continue;
        VnString& terms = waits[keyOf(link->endlabel())];
        if (terms.length() > 0) terms += " and ";
        terms += "done-job-";
        terms += link->startlabel();
    }

    for (const auto& wait : waits) {
        const auto found = index.find(wait.first);
        if (found == index.end()) continue;  // a link to no node is passed over
        found->second->dependency(wait.second);
        found->second->subjobstatus(VnStatus(VnStatus::BLOCKED));
    }
    return 1;
}

int VnJobGraph::type() {
    return VN_TYPE_JOB_GRAPH;
}

VnString VnJobGraph::typeXML() {
    return VnString(VN_XML_JOB_GRAPH);
}
