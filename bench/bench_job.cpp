// A list of 10,000 filled jobs (each with subjobs, agenda items, a callback, a variable, an
// environment and a path map), registered side by side with its reference so that each ratio
// comes from one run:
// - pack / protobuf serialize and unpack / protobuf parse of the same data as an equivalent
//   message (bench_job.proto), when the program is built with the generated code;
// - packXML, and unpackXML beside a bare expat parse of the same document.
// Unpacking and parsing both build a fresh list and free it in every iteration; packing and
// serialising both reuse their output buffer.
// Run by hand, pinned to one core:
//   taskset -c 4 bench_job --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>
#include <expat.h>

#include <cstdint>
#include <string>
#include <vector>

#include "job/VnJob.h"

#if __has_include("bench_job.pb.h")
#include "bench_job.pb.h"
#define VN_BENCH_PROTOBUF 1
#endif

namespace {

constexpr int kJobs = 10000;

VnString text(const std::string& s) {
    return VnString(s.c_str());
}

void fillEnv(VnEnv& env, int i) {
    const char* names[] = {"HOME", "USER", "SHELL", "PATH", "LANG", "TMPDIR", "PROJECT", "SHOT"};
    for (const char* name : names)
        env.set(name, text(std::string("/value/of/") + name + "/" + std::to_string(i % 97)));
    env.revert(text("umask=18\ncwd=/projects/p" + std::to_string(i % 13) + "/scenes"));
    env.mount("Z:", "render@fileserver:/export/projects");
}

// A job as a submission or a reply carries it; the values vary with i.
VnJob* filledJob(int i) {
    VnJob* j = new VnJob();
    j->id(100000 + i);
    j->pid(i % 7 == 0 ? 99 : -1);
    j->pgrp(50000 + i / 10);
    j->priority(50 + i % 50);
    j->localorder(i % 11);
    j->globalorder(i);
    j->user("ann");
    j->domain("studio");
    j->status(VnStatus(i % 3 ? VnStatus::RUNNING : VnStatus::PENDING));
    j->name(text("render shot_" + std::to_string(i % 900) + " layer beauty"));
    j->cpus(4);
    j->todo(4);
    j->cluster("/farm/a");
    j->requirements("host.os=linux and host.memory>8000");
    j->reservations("host.processors=2,license.render=1");
    j->groups("render");
    j->hostorder("+host.memory");
    j->data(text("(=(frames=1-100)(scene=/projects/p/shot_" + std::to_string(i) + ".mb)(camera=main))"));
    j->prototype("render");
    j->path("/opt/vorn/jobtypes");
    j->logpath(text("/var/log/vorn/" + std::to_string(100000 + i)));
    j->cpustally().add(VnStatus::RUNNING, 2);
    j->cpustally().add(VnStatus::PENDING, 2);
    j->todotally().add(VnStatus::COMPLETE, i % 4);
    j->timesubmit(240000000 + i);
    j->timestart(240000100 + i);
    j->flags(4 | 16);
    j->label(text("node" + std::to_string(i % 100)));
    j->account("proj42");
    fillEnv(j->env(), i);
    j->serverid(1);
    j->lastupdate(240000200 + i);
    j->subjobstatus(VnStatus(VnStatus::PENDING));
    j->pathmap().directmap().set(new VnString("/mnt/projects"), "Z:");
    j->retrysubjob(2);
    j->retrywork(3);
    j->mailaddress("ann@studio.example");
    j->notes("final quality, check the motion blur");
    j->sourcehost(VnAddress(0x0A000000u + static_cast<unsigned>(i % 250)));
    for (int s = 0; s < 2; ++s) {
        VnSubjob* subjob = new VnSubjob();
        subjob->id(s);
        subjob->pid(j->id());
        subjob->host(text("node" + std::to_string((i + s) % 400)));
        subjob->status(VnStatus(VnStatus::RUNNING));
        subjob->timestart(240000300 + i);
        j->subjobs().push(subjob);
    }
    for (int w = 0; w < 4; ++w) {
        VnWork* work = new VnWork();
        work->name(text("frame" + std::to_string(1000 + w)));
        work->pid(j->id());
        work->id(w);
        work->status(VnStatus(w < 2 ? VnStatus::COMPLETE : VnStatus::PENDING));
        work->percent(w < 2 ? 100 : 0);
        j->agenda().push(work);
    }
    VnCallback* callback = new VnCallback();
    callback->pid(j->id());
    callback->triggers("done-job-node1");
    callback->code("notify('done')");
    callback->language(2);
    j->callbacks().push(callback);
    VnVariable* variable = new VnVariable();
    variable->pid(j->id());
    variable->name("frames_done");
    variable->value("2");
    j->variables().push(variable);
    return j;
}

#ifdef VN_BENCH_PROTOBUF

std::string bytes(const VnString& s) {
    return std::string(s.value(), static_cast<std::size_t>(s.length()));
}

void toProto(const VnStatusTally& t, vnbench::StatusTally* p) {
    p->set_running(t.running());
    p->set_blocked(t.blocked());
    p->set_complete(t.complete());
    p->set_pending(t.pending());
    p->set_suspended(t.suspended());
    p->set_failed(t.failed());
    p->set_killed(t.killed());
    p->set_waiting(t.waiting());
    p->set_unknown(t.unknown());
    p->set_warning(t.warning());
    p->set_badlogin(t.badlogin());
}

void toProto(const VnStringHash& hash, google::protobuf::Map<std::string, std::string>* p) {
    VnStringList keys;
    hash.copykeys(keys);
    for (int k = 0; k < keys.length(); ++k)
        (*p)[bytes(*keys.get(k))] = bytes(*hash.get(*keys.get(k)));
}

void toProto(const VnEnv& env, vnbench::Env* p) {
    for (int k = 0; k < env.keys().length(); ++k) {
        p->add_keys(bytes(*env.keys().get(k)));
        p->add_values(bytes(*env.values().get(k)));
    }
    p->set_umask(env.mask());
    p->set_cwd(bytes(env.cwd()));
    VnStringList names;
    env.mounts(names);
    for (int k = 0; k < names.length(); ++k)
        (*p->mutable_mounts())[bytes(*names.get(k))] = bytes(env.mount(*names.get(k)));
}

void toProto(const VnSubjob& s, vnbench::Subjob* p) {
    p->set_id(s.id());
    p->set_pid(s.pid());
    p->set_host(bytes(s.host()));
    p->set_status(s.status().integervalue());
    p->set_address(s.address().value());
    p->set_last_update(s.lastupdate().value());
    p->set_data(bytes(s.data()));
    p->set_result(bytes(s.result()));
    p->set_mac_address(bytes(s.macaddress().value()));
    p->set_retry(s.retry());
    p->set_count(s.count());
    p->set_seq(s.seq());
    p->set_time_start(s.timestart().value());
    p->set_time_complete(s.timecomplete().value());
}

void toProto(const VnWork& w, vnbench::Work* p) {
    p->set_name(bytes(w.name()));
    p->set_sub_id(w.subid());
    p->set_host(bytes(w.host()));
    p->set_status(w.status().integervalue());
    p->set_address(w.address().value());
    p->set_pid(w.pid());
    p->set_data(bytes(w.data()));
    p->set_id(w.id());
    p->set_result(bytes(w.result()));
    p->set_retry(w.retry());
    p->set_count(w.count());
    p->set_dependency(bytes(w.dependency()));
    p->set_percent(w.percent());
    p->set_last_update(w.lastupdate().value());
    p->set_seq(w.seq());
    p->set_time_start(w.timestart().value());
    p->set_time_complete(w.timecomplete().value());
}

void toProto(const VnCallback& c, vnbench::Callback* p) {
    p->set_id(c.id());
    p->set_language(c.language());
    p->set_code(bytes(c.code()));
    p->set_count(c.count());
    p->set_max(c.maximum());
    p->set_triggers(bytes(c.triggers()));
    p->set_ready(bytes(c.ready()));
    p->set_user(bytes(c.user()));
    p->set_pid(c.pid());
    p->set_last_update(c.lastupdate().value());
}

void toProto(const VnVariable& v, vnbench::Variable* p) {
    p->set_pid(v.pid());
    p->set_name(bytes(v.name()));
    p->set_value(bytes(v.value()));
    p->set_cls(v.cls());
    p->set_last_update(v.lastupdate().value());
}

void toProto(const VnJob& j, vnbench::Job* p) {
    p->set_id(j.id());
    p->set_pid(j.pid());
    p->set_pgrp(j.pgrp());
    p->set_priority(j.priority());
    p->set_user(bytes(j.user()));
    p->set_status(j.status().integervalue());
    for (int k = 0; k < j.subjobs().length(); ++k)
        toProto(*j.subjobs().get(k), p->add_subjobs());
    p->set_name(bytes(j.name()));
    p->set_cluster(bytes(j.cluster()));
    for (int k = 0; k < j.children().length(); ++k)
        toProto(*j.children().get(k), p->add_children());
    for (int k = 0; k < j.agenda().length(); ++k)
        toProto(*j.agenda().get(k), p->add_agenda());
    p->set_cpus(j.cpus());
    for (int k = 0; k < j.callbacks().length(); ++k)
        toProto(*j.callbacks().get(k), p->add_callbacks());
    p->set_requirements(bytes(j.requirements()));
    p->set_data(bytes(j.data()));
    p->set_prototype(bytes(j.prototype()));
    p->set_path(bytes(j.path()));
    p->set_reason(bytes(j.reason()));
    p->set_logpath(bytes(j.logpath()));
    p->set_todo(j.todo());
    toProto(j.cpustally(), p->mutable_cpus_tally());
    toProto(j.todotally(), p->mutable_todo_tally());
    p->set_time_submit(j.timesubmit().value());
    p->set_time_complete(j.timecomplete().value());
    p->set_flags(j.flags());
    p->set_label(bytes(j.label()));
    p->set_account(bytes(j.account()));
    toProto(j.env(), p->mutable_env());
    p->set_reservations(bytes(j.reservations()));
    p->set_local_order(j.localorder());
    p->set_global_order(j.globalorder());
    p->set_queue(bytes(j.queue()));
    p->set_restrictions(bytes(j.restrictions()));
    p->set_password(bytes(j.password()));
    p->set_groups(bytes(j.groups()));
    p->set_hosts(bytes(j.hosts()));
    p->set_domain(bytes(j.domain()));
    p->set_time_start(j.timestart().value());
    p->set_kind(bytes(j.kind()));
    p->set_host_order(bytes(j.hostorder()));
    p->set_server_id(j.serverid());
    p->set_last_update(j.lastupdate().value());
    p->set_timeout(j.timeout());
    for (int k = 0; k < j.variables().length(); ++k)
        toProto(*j.variables().get(k), p->add_variables());
    p->set_agenda_status(j.agendastatus().integervalue());
    p->set_subjob_status(j.subjobstatus().integervalue());
    toProto(j.pathmap().directmap(), p->mutable_path_map()->mutable_directmap());
    toProto(j.pathmap().logicalmap(), p->mutable_path_map()->mutable_logicalmap());
    p->set_retry_subjob(j.retrysubjob());
    p->set_retry_work(j.retrywork());
    p->set_omit_hosts(bytes(j.omithosts()));
    p->set_dependency(bytes(j.dependency()));
    p->set_deadline(j.deadline().value());
    p->set_mail_address(bytes(j.mailaddress()));
    p->set_notes(bytes(j.notes()));
    p->set_prototype_path(bytes(j.prototypepath()));
    p->set_source_host(j.sourcehost().value());
    p->set_omit_groups(bytes(j.omitgroups()));
    p->set_immediate_cpus(j.immediatecpus());
    p->set_mask_status(j.maskstatus().integervalue());
}

#endif  // VN_BENCH_PROTOBUF

struct Data {
    VnJobList jobs;
    std::vector<char> binary;
    std::vector<char> document;  // wrapped as the archive reader wraps it
#ifdef VN_BENCH_PROTOBUF
    vnbench::JobList proto;
    std::string protoBytes;
#endif
};

Data& data() {
    static Data* made = [] {
        Data* d = new Data();  // kept for the whole run
        for (int i = 0; i < kJobs; ++i)
            d->jobs.push(filledJob(i));
        d->jobs.pack();
        d->binary.assign(d->jobs.packContents(), d->jobs.packContents() + d->jobs.packSize());
        d->jobs.packXML();
        const std::string wrapped =
            "<pack>\n" + std::string(d->jobs.packContents(), std::size_t(d->jobs.packSize())) + "\n</pack>";
        d->document.assign(wrapped.begin(), wrapped.end());
#ifdef VN_BENCH_PROTOBUF
        for (int i = 0; i < kJobs; ++i)
            toProto(*d->jobs.get(i), d->proto.add_items());
        d->protoBytes = d->proto.SerializeAsString();
#endif
        return d;
    }();
    return *made;
}

void report(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kJobs);
}

void packJobs(benchmark::State& state) {
    VnJobList& jobs = data().jobs;
    for (auto _ : state) {
        jobs.pack();
        benchmark::DoNotOptimize(jobs.packContents());
    }
    report(state, static_cast<std::size_t>(jobs.packSize()));
}

void unpackJobs(benchmark::State& state) {
    std::vector<char>& bytes = data().binary;
    for (auto _ : state) {
        VnJobList jobs;
        benchmark::DoNotOptimize(jobs.unpack(bytes.data(), static_cast<int>(bytes.size())));
    }
    report(state, bytes.size());
}

void packJobsXML(benchmark::State& state) {
    VnJobList& jobs = data().jobs;
    for (auto _ : state) {
        jobs.packXML();
        benchmark::DoNotOptimize(jobs.packContents());
    }
    report(state, static_cast<std::size_t>(jobs.packSize()));
}

void unpackJobsXML(benchmark::State& state) {
    std::vector<char>& document = data().document;
    for (auto _ : state) {
        VnJobList jobs;
        benchmark::DoNotOptimize(jobs.unpackXML(document.data(), static_cast<int>(document.size())));
    }
    report(state, document.size());
}

// The least that any reader of the document does: expat's parse with handlers that do nothing.
void XMLCALL onStart(void*, const XML_Char*, const XML_Char**) {}
void XMLCALL onEnd(void*, const XML_Char*) {}
void XMLCALL onText(void*, const XML_Char*, int) {}

void parseExpat(benchmark::State& state) {
    const std::vector<char>& document = data().document;
    for (auto _ : state) {
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetElementHandler(parser, onStart, onEnd);
        XML_SetCharacterDataHandler(parser, onText);
        benchmark::DoNotOptimize(XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1));
        XML_ParserFree(parser);
    }
    report(state, document.size());
}

#ifdef VN_BENCH_PROTOBUF

void serializeProto(benchmark::State& state) {
    const vnbench::JobList& message = data().proto;
    std::string out;
    for (auto _ : state) {
        message.SerializeToString(&out);
        benchmark::DoNotOptimize(out.data());
    }
    report(state, out.size());
}

void parseProto(benchmark::State& state) {
    const std::string& bytes = data().protoBytes;
    for (auto _ : state) {
        vnbench::JobList message;
        benchmark::DoNotOptimize(message.ParseFromArray(bytes.data(), static_cast<int>(bytes.size())));
    }
    report(state, bytes.size());
}

#endif  // VN_BENCH_PROTOBUF

void add(const char* name, void (*run)(benchmark::State&)) {
    benchmark::RegisterBenchmark(name, run)->Unit(benchmark::kMillisecond);
}

const bool registered = [] {
    add("JobListPack/vn", packJobs);
#ifdef VN_BENCH_PROTOBUF
    add("JobListPack/protobuf", serializeProto);
#endif
    add("JobListUnpack/vn", unpackJobs);
#ifdef VN_BENCH_PROTOBUF
    add("JobListUnpack/protobuf", parseProto);
#endif
    add("JobListPackXML/vn", packJobsXML);
    add("JobListUnpackXML/vn", unpackJobsXML);
    add("JobListUnpackXML/expat", parseExpat);
    return true;
}();

}  // namespace
