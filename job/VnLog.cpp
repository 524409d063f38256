#include "job/VnLog.h"

#include <climits>
#include <cstring>
#include <memory>
#include <new>

#include "system/VnDir.h"
#include "system/VnFile.h"

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

// The subjob of a map line (carriage returns already dropped) whose fourth field is name.
// The fields are the pieces between tabs, an empty last piece not counted, so a line of three
// fields and a trailing tab never matches.
bool mapSubjob(const char* s, int n, const VnString& name, int& subid) {
    int tabs[4];
    int found = 0;
    for (int p = 0; p < n && found < 4; ++p) {
        if (s[p] == '\t') tabs[found++] = p;
    }
    if (found < 3 || (found == 3 && tabs[2] + 1 == n)) return false;
    const int start = tabs[2] + 1;
    const int end = found == 4 ? tabs[3] : n;
    if (!sameBytes(s + start, end - start, name)) return false;
    subid = VnString(s + tabs[0] + 1, tabs[1] - tabs[0] - 1).integervalue();
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

VnLog::VnLog() : _jobid(-1), _id(-1), _subid(-1), _workid(-1), _logtype(0), _cls(0) {}

VnLog::VnLog(const VnLog& other) : VnLog() {
    *this = other;
}

VnLog::VnLog(const VnString& path) : VnLog() {
    loaddata(path, 0);
}

VnLog::VnLog(const VnString& base, int jobid, const VnString& workname, int type, int pos) : VnLog() {
    _cls = type;
    _jobid = jobid;
    _workname = workname;
    _subid = readmap(base, jobid, workname);
    loaddata(joblogfile(base, jobid, _subid, type), workname, pos);
}

VnLog::VnLog(const VnString& base, int jobid, int subid, int type, int pos) : VnLog() {
    _cls = type;
    _jobid = jobid;
    _subid = subid < 0 ? 0 : subid;
    loaddata(joblogfile(base, jobid, _subid, type), pos);
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
    return VnFile::loadpos(path, pos, _data);
}

int VnLog::loaddata(const VnString& path, const VnString& workname, int) {
    VnString text;
    VnFile::loadpos(path, 0, text);
    const char* s = text.value();
    const int n = text.length();
    bool inside = false;
    for (int start = 0, end = 0; start < n; start = end) {
        end = lineEnd(s, n, start);
        const char* name = nullptr;
        int length = 0;
        if (workLineName(s + start, end - start, name, length)) inside = sameBytes(name, length, workname);
        if (inside) _data.append(s + start, end - start);
    }
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
    VnFile::append(joblogfile(base, jobid, subid, kMapType), line);
}

int VnLog::readmap(const VnString& base, int jobid, const VnString& name) {
    const VnString text = VnFile::load(joblogfile(base, jobid, 0, kMapType));
    const VnString wanted = _vn_log_blanked(name, kMapBreaks);
    const char* s = text.value();
    const int n = text.length();
    VnString line;
    for (int start = 0, end = 0; start < n; start = end) {
        end = lineEnd(s, n, start);
        line = "";
        for (int p = start; p < end; ++p) {
            if (s[p] != '\r' && s[p] != '\n') line.append(s[p]);
        }
        int subid = -1;
        if (mapSubjob(line.value(), line.length(), wanted, subid)) return subid;
    }
    return -1;
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

}  // namespace

void VnLogList::load(const VnString& base, VnCommand& cmd, int type) {
    const int pos = commandPos(cmd);
    const VnWorkIdList& works = cmd.workids();
    for (int i = 0; i < works.length(); ++i) {
        const VnWorkId* work = works.get(i);
        if (!work || work->name().length() == 0) continue;
        add(*this, std::unique_ptr<VnLog>(new VnLog(base, work->id(), work->name(), type, pos)));
    }
    const VnJobIdList& jobs = cmd.jobids();
    for (int i = 0; i < jobs.length(); ++i) {
        const VnJobId* job = jobs.get(i);
        if (!job) continue;
        add(*this, std::unique_ptr<VnLog>(new VnLog(base, job->id(), job->subid(), type, pos)));
    }
}

void VnLogList::load(const VnString& base, int jobid, int type) {
    VnDir dir(VnLog::joblogdir(base, jobid));
    const VnString ext = VnLog::logext(type);
    for (int i = 0; i < dir.length(); ++i) {
        const VnString* entry = dir.get(i);
        int subid = 0;
        if (entry && subjobFile(*entry, jobid, ext, subid))
            add(*this, std::unique_ptr<VnLog>(new VnLog(base, jobid, subid, type, 0)));
    }
}

int VnLogList::type() {
    return VN_TYPE_LOG_LIST;
}

VnString VnLogList::typeXML() {
    return VnString(VN_XML_LOG_LIST);
}
