#include "job/VnHistory.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/VnDebug.h"
#include "job/VnLog.h"
#include "job/VnLogPlace.h"
#include "system/VnSafeOpen.h"
#include "system/VnSafeOpenHooks.h"

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

// A file of this size (2 GiB) or more is not read, as by every other reader of the library.
constexpr std::int64_t kMaxFile = std::int64_t(2) << 30;
// A line longer than this is cut: its record is made from its first kMaxLine bytes, and the
// rest of the line is passed over unread into memory.
constexpr std::size_t kMaxLine = 64 * 1024;
// The records of one read may take kAllowance bytes of memory per byte of the file read so
// far, plus kReserve; past that the reading stops.
constexpr std::int64_t kAllowance = 32;
constexpr std::int64_t kReserve = 16 * 1024 * 1024;
// The memory that one record takes in a list: the object, its texts and its slot.
std::int64_t recordCost(const VnHistory& event) {
    return std::int64_t(sizeof(VnHistory)) + VnString::kBlockOverhead +
           VnString::heapCost(event.comment().length()) + VnString::heapCost(event.workid().length()) +
           2 * std::int64_t(sizeof(void*));
}

// Writes "ERROR: history file <path> <what>" into the debug log.
void report(const VnString& path, const char* what) {
    VnDebug& log = vn_debug_obj();
    log.lock();
    log.mark() << "ERROR: history file " << _vn_log_blanked(path, kCommentBreaks) << " " << what << "\n";
    log.unlock();
}

// Appends the records of one history file, within the memory it may take.
class HistoryReader {
public:
    HistoryReader(const Filter& filter, VnHistoryList& out) : filter(filter), out(out) {}

    // Reads the open file to its end but at most size bytes, or until its records would take
    // more memory than the bytes read so far allow. False when it stopped early.
    bool read(int fd, std::int64_t size) {
        char block[65536];
        while (bytesRead < size) {
            const std::size_t want =
                static_cast<std::size_t>(std::min<std::int64_t>(sizeof block, size - bytesRead));
            const ssize_t got = ::read(fd, block, want);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) break;
            bytesRead += got;
            if (!scan(block, static_cast<std::size_t>(got))) return false;
        }
        return take();
    }

private:
    // Adds the bytes of a block to the line in progress, taking each line that ends.
    bool scan(const char* block, std::size_t count) {
        for (std::size_t p = 0; p < count;) {
            const void* lf = std::memchr(block + p, '\n', count - p);
            const std::size_t end =
                lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - block) : count;
            line.append(block + p, std::min(end - p, kMaxLine - line.size()));
            if (!lf) break;
            if (!take()) return false;
            p = end + 1;
        }
        return true;
    }

    // Makes the record of the line in progress, when the filter takes it and the memory
    // allows it. Empty lines are passed over.
    bool take() {
        if (line.empty()) return true;
        std::unique_ptr<VnHistory> event = record(line.data(), static_cast<int>(line.size()), filter);
        line.clear();
        if (!event) return true;
        spent += recordCost(*event);
        if (spent > bytesRead * kAllowance + kReserve) return false;
        if (!out.push(event.get())) throw std::bad_alloc();
        event.release();
        return true;
    }

    const Filter& filter;
    VnHistoryList& out;
    std::string line;
    std::int64_t bytesRead = 0;
    std::int64_t spent = 0;
};

// Appends a record for every line of the history file that the filter takes. Lines end at a
// line feed or at the end of the file; empty lines are passed over, and longer ones than
// kMaxLine are cut. The file is reached without following a link and read only when it is a
// regular file, so a pipe or a device in its place cannot block the reader; a file of
// kMaxFile bytes or more (sparse, it costs its maker nothing) is not read at all, and no more
// bytes are read than the file held when it was opened.
void readHistory(const VnString& base, const VnLogPlace& place, const Filter& filter, VnHistoryList& out) {
    const VnFd file = place.openFile(base, O_RDONLY);
    struct stat status;
    if (!file.valid() || fstat(file.get(), &status) != 0) return;
    if (_vn_after_size) _vn_after_size(file.get());
    if (status.st_size >= kMaxFile) return report(place.path(base), "too large, not read.");
    HistoryReader reader(filter, out);
    if (!reader.read(file.get(), status.st_size)) report(place.path(base), "cut short.");
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
    readHistory(base, VnLogPlace::jobFile(jobid, 0, kJobHistory), Filter{Filter::kEvery, VnString(), 0}, out);
}

void VnHistory::query(const VnString& base, int jobid, const VnString& workid, VnHistoryList& out) {
    readHistory(base, VnLogPlace::jobFile(jobid, 0, kJobHistory), Filter{Filter::kWork, workid, 0}, out);
}

void VnHistory::query(const VnString& base, int jobid, int subid, VnHistoryList& out) {
    readHistory(base, VnLogPlace::jobFile(jobid, 0, kJobHistory), Filter{Filter::kSubjob, VnString(), subid},
                out);
}

// A host name that could leave the host branch (vn_safe_name) opens nothing.
void VnHistory::queryHost(const VnString& base, const VnString& host, VnHistoryList& out) {
    readHistory(base, VnLogPlace::nameFile("host", host, kHostHistory, kHostHistory),
                Filter{Filter::kEvery, VnString(), 0}, out);
}

int VnHistory::type() {
    return VN_TYPE_HISTORY;
}

VnString VnHistory::typeXML() {
    return VnString(VN_XML_HISTORY);
}
