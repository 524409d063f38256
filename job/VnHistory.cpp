#include "job/VnHistory.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "job/VnLog.h"
#include "system/VnDir.h"

namespace {

// The log types of a job's and of a host's history file.
constexpr int kJobHistory = 8;
constexpr int kHostHistory = 208;
// The bytes that would end a history line early, in the comment and in the target field.
constexpr char kCommentBreaks[] = "\r\n";
constexpr char kTargetBreaks[] = "\t\r\n";

// The line of one event, with the current time.
VnString historyLine(int jobid, const char* kind, const VnString& target, const VnString& a,
                     const VnString& b) {
    VnTime now;
    now.setToNow();
    VnString line("[");
    line += now.ascii();
    line += "]\t";
    line += now.value();
    line += "\t";
    line += kind;
    line += "\t";
    line += jobid;
    line += "\t";
    line += target;
    line += "\t";
    line += _vn_log_blanked(a, kCommentBreaks);
    line += " (";
    line += _vn_log_blanked(b, kCommentBreaks);
    line += ")\n";
    return line;
}

// Which lines a reader takes, and how it fills the target into the record.
struct Filter {
    enum Kind { kEvery, kWork, kSubjob };
    Kind kind;
    VnString workid;  // for kWork
    int subid;        // for kSubjob
};

// The fields of one history line: the first five end at a tab, the sixth takes the rest of the
// line, tabs included. Missing fields are empty.
struct LineFields {
    VnString seconds, kind, jobid, target, comment;

    LineFields(const char* s, int n) {
        VnString* cut[] = {nullptr, &seconds, &kind, &jobid, &target};  // the time text is not kept
        int p = 0;
        for (VnString* field : cut) {
            const void* tab = std::memchr(s + p, '\t', static_cast<std::size_t>(n - p));
            const int end = tab ? static_cast<int>(static_cast<const char*>(tab) - s) : n;
            if (field) field->copy(s + p, end - p);
            p = tab ? end + 1 : n;
        }
        comment.copy(s + p, n - p);
    }
};

// The record of one line, or null when the filter passes the line over.
std::unique_ptr<VnHistory> record(const char* s, int n, const Filter& filter) {
    const LineFields line(s, n);
    const bool work = line.kind == VnString("work");
    const bool subjob = line.kind == VnString("subjob");
    if (filter.kind == Filter::kWork && !(work && line.target == filter.workid)) return nullptr;
    if (filter.kind == Filter::kSubjob && !((work || subjob) && line.target.integervalue() == filter.subid))
        return nullptr;

    std::unique_ptr<VnHistory> event(new VnHistory());
    event->stamp(VnTime(line.seconds.integervalue()));
    event->jobid(line.jobid.integervalue());
    if (filter.kind == Filter::kWork || (filter.kind == Filter::kEvery && work))
        event->workid(line.target);
    else if (filter.kind == Filter::kSubjob || subjob)
        event->subid(line.target.integervalue());
    event->comment(line.comment);
    return event;
}

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Appends a record for every line of the file that the filter takes. Lines end at a line feed
// or at the end of the file and may be of any length a text can hold; empty lines, and longer
// ones, are passed over. Only a regular file is read, so a pipe or a device in its place cannot
// block the reader.
void readHistory(const VnString& path, const Filter& filter, VnHistoryList& out) {
    if (!VnDir::isfile(path)) return;
    std::unique_ptr<std::FILE, FileClose> file(std::fopen(path.value(), "rb"));
    if (!file) return;
    auto take = [&](const std::string& line) {
        if (line.empty() || line.size() > INT_MAX) return;  // a text holds at most INT_MAX bytes
        std::unique_ptr<VnHistory> event = record(line.data(), static_cast<int>(line.size()), filter);
        if (event && !out.push(event.get())) throw std::bad_alloc();
        event.release();
    };
    std::string line;
    char block[65536];
    std::size_t count;
    while ((count = std::fread(block, 1, sizeof block, file.get())) > 0) {
        for (std::size_t p = 0; p < count;) {
            const void* lf = std::memchr(block + p, '\n', count - p);
            const std::size_t end =
                lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - block) : count;
            line.append(block + p, end - p);
            p = end;
            if (!lf) break;
            take(line);
            line.clear();
            ++p;
        }
    }
    take(line);
}

}  // namespace

VnHistory::VnHistory() : _jobid(-1), _subid(-1) {}

VnHistory::~VnHistory() = default;

void VnHistory::copy(const VnHistory& other) {
    *this = other;
}

VnString VnHistory::data(int jobid, const VnString& a, const VnString& b) {
    return historyLine(jobid, "job", VnString("-1"), a, b);
}

VnString VnHistory::data(int jobid, int subid, const VnString& a, const VnString& b) {
    return historyLine(jobid, "subjob", VnString(subid), a, b);
}

VnString VnHistory::data(int jobid, const VnString& workid, const VnString& a, const VnString& b) {
    return historyLine(jobid, "work", _vn_log_blanked(workid, kTargetBreaks), a, b);
}

void VnHistory::query(const VnString& base, int jobid, VnHistoryList& out) {
    readHistory(VnLog::joblogfile(base, jobid, kJobHistory), Filter{Filter::kEvery, VnString(), 0}, out);
}

void VnHistory::query(const VnString& base, int jobid, const VnString& workid, VnHistoryList& out) {
    readHistory(VnLog::joblogfile(base, jobid, kJobHistory), Filter{Filter::kWork, workid, 0}, out);
}

void VnHistory::query(const VnString& base, int jobid, int subid, VnHistoryList& out) {
    readHistory(VnLog::joblogfile(base, jobid, kJobHistory), Filter{Filter::kSubjob, VnString(), subid}, out);
}

void VnHistory::queryHost(const VnString& base, const VnString& host, VnHistoryList& out) {
    readHistory(VnLog::hostlogfile(base, host, kHostHistory), Filter{Filter::kEvery, VnString(), 0}, out);
}

int VnHistory::type() {
    return VN_TYPE_HISTORY;
}

VnString VnHistory::typeXML() {
    return VnString(VN_XML_HISTORY);
}
