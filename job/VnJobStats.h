#ifndef VN_JOB_VNJOBSTATS_H
#define VN_JOB_VNJOBSTATS_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "system/VnTime.h"

// The resource figures of one subjob: its highest thread count, memory and swap, its start and
// end, and the host it ran on. The units of memory and swap are the worker's; the library only
// carries and compares them.
class VnJobStats : public VnPack {
public:
    VnJobStats();
    VnJobStats(const VnJobStats& other);
    ~VnJobStats() override;

    // Member-wise: all eight fields.
    VnJobStats& operator=(const VnJobStats& other) = default;
    void copy(const VnJobStats& other);

    int jobid() const { return _jobid; }
    void jobid(int jobid) { _jobid = jobid; }
    int subid() const { return _subid; }
    void subid(int subid) { _subid = subid; }
    int maxthreads() const { return _maxthreads; }
    void maxthreads(int maxthreads) { _maxthreads = maxthreads; }
    int maxmemory() const { return _maxmemory; }
    void maxmemory(int maxmemory) { _maxmemory = maxmemory; }
    int maxswap() const { return _maxswap; }
    void maxswap(int maxswap) { _maxswap = maxswap; }
    VnTime& start() { return _start; }
    const VnTime& start() const { return _start; }
    void start(const VnTime& time) { _start = time; }
    VnTime& end() { return _end; }
    const VnTime& end() const { return _end; }
    void end(const VnTime& time) { _end = time; }
    VnString& host() { return _host; }
    const VnString& host() const { return _host; }
    void host(const VnString& host) { _host = host; }

    // One line, its groups separated by tabs:
    // "12.3\tstart: [<time>] <value>\tend: [<time>] <value>\ttime: [<duration>] <seconds>\t"
    // "host: <name>\tthread: <n>\tmem: <n>\tswap: <n>\n". The elapsed time is the end minus
    // the start, held to the int range.
    VnString data() const;
    // Takes each of the thread count, swap and memory figures of other that is larger than
    // this record's own; the ids, times and host stay.
    void tally(const VnJobStats& other);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "job_id", _jobid);
        field(2, "sub_id", _subid);
        field(3, "threads", _maxthreads);
        field(4, "start", _start);
        field(5, "end", _end);
        field(6, "max_memory", _maxmemory);
        field(7, "max_swap", _maxswap);
        field(8, "host", _host);
    }

    int _jobid = -1;
    int _subid = -1;
    int _maxthreads = 0;
    VnTime _start;
    VnTime _end;
    int _maxmemory = 0;
    int _maxswap = 0;
    VnString _host;  // undefined until given
};

#endif  // VN_JOB_VNJOBSTATS_H
