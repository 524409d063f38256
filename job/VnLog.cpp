#include "job/VnLog.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/VnDebug.h"
#include "job/VnLogPlace.h"
#include "system/VnSafeOpen.h"

namespace {

constexpr int kMapType = 15;
// The bytes that would split one map line in two, or its name field in two.
constexpr char kMapBreaks[] = "\t\r\n";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// White space as the regular expression class \s knows it.
bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool sameBytes(const char* bytes, int n, const VnString& text) {
    return n == text.length() && std::memcmp(bytes, text.value(), static_cast<std::size_t>(n)) == 0;
}

// The end of the line that starts at start: just past its line feed, or the end of the text.
int lineEnd(const char* s, int n, int start) {
    const void* lf = std::memchr(s + start, '\n', static_cast<std::size_t>(n - start));
    return lf ? static_cast<int>(static_cast<const char*>(lf) - s) + 1 : n;
}

// Where the item name of a "got work:" line starts: just past the first "got work:" that is
// followed by white space, at least one digit and ":". -1 without one.
int workNameStart(const char* s, int n) {
    static const char kMark[] = "got work:";
    constexpr int kMarkLength = sizeof kMark - 1;
    for (int at = 0; at + kMarkLength <= n; ++at) {
        if (std::memcmp(s + at, kMark, kMarkLength) != 0) continue;
        int p = at + kMarkLength;
        while (p < n && isSpace(s[p]))
            ++p;
        const int digits = p;
        while (p < n && isDigit(s[p]))
            ++p;
        if (p > digits && p < n && s[p] == ':') return p + 1;
    }
    return -1;
}

// The item name that the pattern "got work:\s*\d+:(.+)\s+-" captures in one line (a line feed
// only as its last byte), found in one pass instead of by backtracking, which a long hostile
// line could make quadratic.
//
// The pattern can only start at workNameStart: blanks, digits and ":" leave it no choice, and
// a later start in the same line cannot match where that one fails. From there (.+) takes
// every byte up to the line feed and gives bytes back until white space and a "-" follow, so
// the name ends at the last white-space byte that stands right before a "-".
bool workLineName(const char* s, int n, const char*& name, int& length) {
    const int start = workNameStart(s, n);
    if (start < 0) return false;
    int end = start;  // the bytes that "." takes: all but a line feed
    while (end < n && s[end] != '\n')
        ++end;
    const int last = end + 1 < n ? end + 1 : n - 1;  // the "-" may follow the line feed itself
    for (int dash = last; dash >= start + 2; --dash) {
        if (s[dash] == '-' && isSpace(s[dash - 1])) {
            name = s + start;
            length = dash - 1 - start;
            return true;
        }
    }
    return false;
}

// The name field and the subjob field of a map line (carriage returns and the line feed
// already dropped). The fields are the pieces between tabs, an empty last piece not counted, so
// a line of three fields and a trailing tab has no name.
bool mapFields(std::string_view line, std::string_view& name, std::string_view& subid) {
    std::size_t tabs[4];
    int found = 0;
    for (std::size_t p = 0; p < line.size() && found < 4; ++p) {
        if (line[p] == '\t') tabs[found++] = p;
    }
    if (found < 3 || (found == 3 && tabs[2] + 1 == line.size())) return false;
    const std::size_t end = found == 4 ? tabs[3] : line.size();
    name = line.substr(tabs[2] + 1, end - tabs[2] - 1);
    subid = line.substr(tabs[0] + 1, tabs[1] - tabs[0] - 1);
    return true;
}

// Reads the run of decimal digits at p, moving p past it. False when there is none, or when
// its value passes the int range: such a number names no job or subjob.
bool readNumber(const char* s, int n, int& p, int& value) {
    const int start = p;
    long long v = 0;
    bool fits = true;
    for (; p < n && isDigit(s[p]); ++p) {
        if (fits) v = v * 10 + (s[p] - '0');
        if (v > INT_MAX) fits = false;
    }
    value = static_cast<int>(fits ? v : 0);
    return p > start && fits;
}

// A directory entry of the form <jobid>?<subid>.<ext> (any one byte in place of the "_"),
// giving the subjob.
bool subjobFile(const VnString& entry, int jobid, const VnString& ext, int& subid) {
    const char* s = entry.value();
    const int n = entry.length();
    int p = 0;
    int id = 0;
    if (!readNumber(s, n, p, id) || id != jobid || p >= n) return false;
    ++p;  // the separator, whatever it is
    if (!readNumber(s, n, p, subid) || p >= n) return false;
    ++p;  // the "."
    return p < n && sameBytes(s + p, n - p, ext);
}

// The offset of the command's last "pos" filter that has a value; 0 without one.
int commandPos(VnCommand& cmd) {
    int pos = 0;
    const VnFilterList& filters = cmd.filters();
    for (int i = 0; i < filters.length(); ++i) {
        const VnFilter* filter = filters.get(i);
        if (!filter || filter->name() != VnString("pos")) continue;
        const VnField* first = filter->fields().get(0);
        if (first) pos = first->value().integervalue();
    }
    return pos;
}

// The bytes of map and log texts gone through in search of work items, over the process.
std::atomic<std::int64_t> scannedBytes{0};

// Looked up by the bytes of a name, in their order: no hash of outside text.
template <class Value>
using ByName = std::map<std::string, Value, std::less<>>;

// The subjob of the first map line that names an item, once found.
struct MapEntry {
    int subid = -1;
    bool found = false;
};

// The lines of a log that make one item's section, as [start, end) offsets into the log text.
using Pieces = std::vector<std::pair<int, int>>;

// Goes once through a map text: each wanted name (blanked as writemap blanks it) gets the
// subjob of the first line that names it.
void scanMap(const VnString& text, ByName<MapEntry>& wanted) {
    scannedBytes.fetch_add(text.length(), std::memory_order_relaxed);
    const char* s = text.value();
    const int n = text.length();
    std::size_t left = wanted.size();
    std::string line;
    for (int start = 0, end = 0; start < n && left > 0; start = end) {
        end = lineEnd(s, n, start);
        line.assign(s + start, static_cast<std::size_t>(end - start));
        line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }),
                   line.end());
        std::string_view name, subid;
        if (!mapFields(line, name, subid)) continue;
        const auto entry = wanted.find(name);
        if (entry == wanted.end() || entry->second.found) continue;
        entry->second.subid = VnString(subid.data(), static_cast<int>(subid.size())).integervalue();
        entry->second.found = true;
        --left;
    }
}

// Goes once through a log text: every line from a "got work:" line naming a wanted item up to
// the next "got work:" line naming another item joins the pieces of that item.
void scanSections(const VnString& text, const ByName<Pieces*>& wanted) {
    scannedBytes.fetch_add(text.length(), std::memory_order_relaxed);
    const char* s = text.value();
    const int n = text.length();
    Pieces* inside = nullptr;
    for (int start = 0, end = 0; start < n; start = end) {
        end = lineEnd(s, n, start);
        const char* name = nullptr;
        int length = 0;
        if (workLineName(s + start, end - start, name, length)) {
            const auto found = wanted.find(std::string_view(name, static_cast<std::size_t>(length)));
            inside = found == wanted.end() ? nullptr : found->second;
        }
        if (!inside) continue;
        if (!inside->empty() && inside->back().second == start)
            inside->back().second = end;  // the run goes on
        else
            inside->emplace_back(start, end);
    }
}

void appendPieces(const VnString& text, const Pieces& pieces, VnString& out) {
    for (const auto& piece : pieces)
        out.append(text.value() + piece.first, piece.second - piece.first);
}

std::string bytesOf(const VnString& text) {
    return std::string(text.value(), static_cast<std::size_t>(text.length()));
}

// A name as writemap writes it into a map line, for looking it up there.
std::string mapKey(const VnString& name) {
    return bytesOf(_vn_log_blanked(name, kMapBreaks));
}

// Appends to out the section of one item in a log text.
void appendSection(const VnString& text, const VnString& workname, VnString& out) {
    Pieces pieces;
    scanSections(text, ByName<Pieces*>{{bytesOf(workname), &pieces}});
    appendPieces(text, pieces, out);
}

// The subjob of the first line of a map text that names the item, or -1.
int mapLookup(const VnString& text, const VnString& name) {
    ByName<MapEntry> wanted{{mapKey(name), MapEntry()}};
    scanMap(text, wanted);
    return wanted.begin()->second.subid;
}

// Appends to out the bytes of the open regular file from pos (0 when negative) to its end.
// The offset past the last byte read, or -1 when the file is not open or cannot be held.
int readFrom(const VnFd& file, int pos, VnString& out) {
    return file.valid() ? vn_read_fd_from(file.get(), pos, out) : -1;
}

// A path named by the caller: its final name is not followed, and only a regular file is read.
VnFd openPath(const VnString& path) {
    return vn_open_file_at(AT_FDCWD, path.value(), O_RDONLY);
}

}  // namespace

VnString _vn_log_blanked(const VnString& text, const char* breaks) {
    VnString out(text);
    for (int i = 0; i < out.length(); ++i) {
        for (const char* b = breaks; *b; ++b) {
            if (out.get(i) == *b) out.set(i, ' ');
        }
    }
    return out;
}

std::int64_t _vn_log_scanned() {
    return scannedBytes.load(std::memory_order_relaxed);
}

VnLog::VnLog() : _jobid(-1), _id(-1), _subid(-1), _workid(-1), _logtype(0), _cls(0) {}

VnLog::VnLog(const VnLog& other) : VnLog() {
    *this = other;
}

VnLog::VnLog(const VnString& path) : VnLog() {
    loaddata(path, 0);
}

VnLog::VnLog(const VnString& base, int jobid, const VnString& workname, int type, int) : VnLog() {
    _cls = type;
    _jobid = jobid;
    _workname = workname;
    _subid = readmap(base, jobid, workname);
    VnString text;
    readFrom(VnLogPlace::jobFile(jobid, _subid, type).openFile(base, O_RDONLY), 0, text);
    appendSection(text, workname, _data);
}

VnLog::VnLog(const VnString& base, int jobid, int subid, int type, int pos) : VnLog() {
    _cls = type;
    _jobid = jobid;
    _subid = subid < 0 ? 0 : subid;
    readFrom(VnLogPlace::jobFile(jobid, _subid, type).openFile(base, O_RDONLY), pos, _data);
}

VnLog::~VnLog() = default;

VnLog& VnLog::operator=(const VnLog& other) {
    if (this == &other) return *this;
    VnPack::operator=(other);
    _jobid = other._jobid;
    _subid = other._subid;
    _workid = other._workid;
    _data = other._data;
    _host = other._host;
    _workname = other._workname;
    _cls = other._cls;
    return *this;
}

void VnLog::copy(const VnLog& other) {
    *this = other;
}

void VnLog::data(char* bytes, int n) {
    _data.copy(bytes, n);
}

void VnLog::data(const char* bytes, int n) {
    _data.copy(bytes, n);
}

int VnLog::loaddata(const VnString& path, int pos) {
    return readFrom(openPath(path), pos, _data);
}

int VnLog::loaddata(const VnString& path, const VnString& workname, int) {
    VnString text;
    readFrom(openPath(path), 0, text);
    appendSection(text, workname, _data);
    return _data.length();
}

void VnLog::writemap(const VnString& base, int jobid, int subid, int workid, const VnString& name) {
    VnString line(jobid);
    line += "\t";
    line += subid;
    line += "\t";
    line += workid;
    line += "\t";
    line += _vn_log_blanked(name, kMapBreaks);
    line += "\n";
    const VnFd map =
        VnLogPlace::jobFile(jobid, subid, kMapType).openFile(base, O_WRONLY | O_APPEND | O_CREAT);
    if (map.valid()) vn_write_fd(map.get(), line);
}

int VnLog::readmap(const VnString& base, int jobid, const VnString& name) {
    VnString text;
    readFrom(VnLogPlace::jobFile(jobid, 0, kMapType).openFile(base, O_RDONLY), 0, text);
    return mapLookup(text, name);
}

int VnLog::type() {
    return VN_TYPE_LOG;
}

VnString VnLog::typeXML() {
    return VnString(VN_XML_LOG);
}

VnLogList::VnLogList() = default;

VnLogList::~VnLogList() = default;

namespace {

void add(VnLogList& list, std::unique_ptr<VnLog> log) {
    if (!list.push(log.get())) throw std::bad_alloc();
    log.release();
}

// A log of the list, before its text is read.
std::unique_ptr<VnLog> listed(int jobid, int subid, int type) {
    std::unique_ptr<VnLog> log(new VnLog());
    log->cls(type);
    log->jobid(jobid);
    log->subid(subid);
    return log;
}

// The reads of one list load. Each file of the tree is read at most once, whatever entries or
// ids name it, and all of them together at most VnLogList::kMaxText bytes: a log whose file
// would pass that is left out of the list, and the debug log says how many were.
class ListReads {
public:
    ListReads(const VnString& base, int type) : _base(base), _type(type) {}
    ~ListReads() {
        if (_leftOut == 0) return;
        VnDebug& log = vn_debug_obj();
        log.lock();
        log.mark() << "ERROR: log list cut short: " << _leftOut << " logs left out.\n";
        log.unlock();
    }
    ListReads(const ListReads&) = delete;
    ListReads& operator=(const ListReads&) = delete;

    void leaveOut() { ++_leftOut; }

    // Appends to out the subjob's log from pos; a missing file adds nothing. False when it
    // would pass the budget.
    bool subjobLog(int jobid, int subid, int pos, VnString& out) {
        const auto cached = _logs.find({jobid, subid});
        if (cached == _logs.end()) return read(VnLogPlace::jobFile(jobid, subid, _type), pos, out);
        if (!cached->second.held) return false;
        const VnString& text = cached->second.text;
        const int from = std::min(std::max(pos, 0), text.length());
        out.append(text.value() + from, text.length() - from);
        return true;
    }
    // The subjob's whole log, kept for the further items of the same subjob; null when it
    // would pass the budget.
    const VnString* wholeLog(int jobid, int subid) {
        return whole(_logs, {jobid, subid}, VnLogPlace::jobFile(jobid, subid, _type));
    }
    // The job's map text; null when it would pass the budget.
    const VnString* map(int jobid) { return whole(_maps, jobid, VnLogPlace::jobFile(jobid, 0, kMapType)); }

private:
    struct Text {
        VnString text;
        bool held = false;
    };

    bool read(const VnLogPlace& place, int pos, VnString& out) {
        const VnFd file = place.openFile(_base, O_RDONLY);
        if (!file.valid()) return true;
        struct stat status;
        if (fstat(file.get(), &status) != 0) return true;
        const std::int64_t rest = std::max<std::int64_t>(status.st_size - std::max(pos, 0), 0);
        const std::int64_t left = VnLogList::kMaxText - _used;
        if (rest > left) return false;
        const std::int64_t got = vn_read_fd(file.get(), pos, left, out);
        if (got > 0) _used += got;
        return true;
    }

    template <class Key>
    const VnString* whole(std::map<Key, Text>& texts, const Key& key, const VnLogPlace& place) {
        const auto found = texts.find(key);
        if (found != texts.end()) return found->second.held ? &found->second.text : nullptr;
        Text& entry = texts[key];
        entry.held = read(place, 0, entry.text);
        return entry.held ? &entry.text : nullptr;
    }

    const VnString _base;
    const int _type;
    std::int64_t _used = 0;
    int _leftOut = 0;
    std::map<std::pair<int, int>, Text> _logs;
    std::map<int, Text> _maps;
};

// The work items of one load, each once. The names wanted from a job's map, and then from each
// of its subjobs' logs, are gathered before the map is gone through, so that each map and each
// log is gone through once for all of its items, however many the command names.
class WorkItems {
public:
    explicit WorkItems(ListReads& reads) : _reads(reads) {}

    // Adds the item; false when it was added before.
    bool add(int jobid, const VnString& name) {
        return _jobs[jobid].items.emplace(bytesOf(name), Item{mapKey(name), -1, Pieces()}).second;
    }

    // Gives the log the item's subjob and appends its section. False when the job's map or
    // the subjob's log would pass the read budget.
    bool fill(int jobid, const VnString& name, VnLog& log) {
        Job& job = _jobs[jobid];
        if (!job.mapped) resolve(jobid, job);
        if (!job.held) return false;
        const Item& item = job.items.find(bytesOf(name))->second;
        const VnString* text = _reads.wholeLog(jobid, item.subid);
        if (!text) return false;
        const auto wanted = job.bySubjob.find(item.subid);
        if (wanted != job.bySubjob.end()) {
            scanSections(*text, wanted->second);
            job.bySubjob.erase(wanted);
        }
        log.subid(item.subid);
        appendPieces(*text, item.pieces, log.data());
        return true;
    }

private:
    struct Item {
        std::string key;  // the name as the map holds it
        int subid = -1;
        Pieces pieces;
    };
    struct Job {
        bool mapped = false;
        bool held = false;
        ByName<Item> items;                       // by the names as the command gives them
        std::map<int, ByName<Pieces*>> bySubjob;  // the items whose logs are still to go through
    };

    // Finds the subjob of each of the job's items in one pass through its map.
    void resolve(int jobid, Job& job) {
        job.mapped = true;
        const VnString* map = _reads.map(jobid);
        if (!map) return;
        job.held = true;
        ByName<MapEntry> wanted;
        for (const auto& item : job.items)
            wanted.emplace(item.second.key, MapEntry());
        scanMap(*map, wanted);
        for (auto& item : job.items) {
            item.second.subid = wanted.find(item.second.key)->second.subid;
            job.bySubjob[item.second.subid].emplace(item.first, &item.second.pieces);
        }
    }

    ListReads& _reads;
    std::map<int, Job> _jobs;
};

}  // namespace

// The work items come first, so every subjob log read whole for their sections is at hand
// when a job id names the same subjob. An item or a subjob named twice is listed once.
void VnLogList::load(const VnString& base, VnCommand& cmd, int type) {
    ListReads reads(base, type);
    const int pos = commandPos(cmd);
    WorkItems items(reads);
    std::vector<const VnWorkId*> works;  // each item once, in the command's order
    const VnWorkIdList& workids = cmd.workids();
    for (int i = 0; i < workids.length(); ++i) {
        const VnWorkId* work = workids.get(i);
        if (work && work->name().length() > 0 && items.add(work->id(), work->name())) works.push_back(work);
    }
    for (const VnWorkId* work : works) {
        std::unique_ptr<VnLog> log = listed(work->id(), -1, type);
        log->workname(work->name());
        if (!items.fill(work->id(), work->name(), *log)) {
            reads.leaveOut();
            continue;
        }
        add(*this, std::move(log));
    }
    std::set<std::pair<int, int>> subjobs;
    const VnJobIdList& jobids = cmd.jobids();
    for (int i = 0; i < jobids.length(); ++i) {
        const VnJobId* job = jobids.get(i);
        if (!job) continue;
        const int subid = job->subid() < 0 ? 0 : job->subid();
        if (!subjobs.emplace(job->id(), subid).second) continue;
        std::unique_ptr<VnLog> log = listed(job->id(), subid, type);
        if (!reads.subjobLog(job->id(), subid, pos, log->data())) {
            reads.leaveOut();
            continue;
        }
        add(*this, std::move(log));
    }
}

// Entries that name the same subjob ("12_1.out", "12x1.out", "12_001.out") list it once.
void VnLogList::load(const VnString& base, int jobid, int type) {
    ListReads reads(base, type);
    const VnString ext = VnLog::logext(type);
    std::set<int> seen;
    for (const std::string& name : vn_dir_names(VnLogPlace::idDir("job", jobid).openDir(base))) {
        int subid = 0;
        if (!subjobFile(VnString(name.data(), static_cast<int>(name.size())), jobid, ext, subid)) continue;
        if (!seen.insert(subid).second) continue;
        std::unique_ptr<VnLog> log = listed(jobid, subid, type);
        if (!reads.subjobLog(jobid, subid, 0, log->data())) {
            reads.leaveOut();
            continue;
        }
        add(*this, std::move(log));
    }
}

int VnLogList::type() {
    return VN_TYPE_LOG_LIST;
}

VnString VnLogList::typeXML() {
    return VnString(VN_XML_LOG_LIST);
}
