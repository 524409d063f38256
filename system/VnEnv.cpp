#include "system/VnEnv.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "base/VnDebug.h"
#include "job/VnLog.h"

extern char** environ;

namespace {

// The most output of su that a capture reads; a real environment is far smaller.
constexpr std::size_t kMaxCapture = 16 * 1024 * 1024;
// The most memory that the variables of one capture may take, as itemsCost counts it: four
// times the output read, whose shortest lines would otherwise cost some fifty times their size.
constexpr std::int64_t kMaxCaptureCost = 4 * std::int64_t(kMaxCapture);
// The marker line that su's command prints right before the environment.
constexpr char kStartMarker[] = "__VNSTART__";
constexpr int kCwdBuffer = 10240;

// Position of the first byte c in text from `from` on, or length when there is none.
int indexOf(const char* text, int from, int length, char c) {
    const void* found = std::memchr(text + from, c, static_cast<std::size_t>(length - from));
    return found ? static_cast<int>(static_cast<const char*>(found) - text) : length;
}

// Calls visit(name, nameLength, value, valueLength) for each item of the text form: a name up
// to the next "=" and a value up to the next line feed, until an empty name.
template <class Visit>
void eachItem(const char* text, int length, Visit visit) {
    for (int pos = 0; pos < length;) {
        const int equals = indexOf(text, pos, length, '=');
        if (equals == pos) return;  // an empty name ends the text
        const int valueStart = equals < length ? equals + 1 : length;
        const int end = indexOf(text, valueStart, length, '\n');
        visit(text + pos, equals - pos, text + valueStart, end - valueStart);
        pos = end + 1;
    }
}

// What a string of length bytes takes in a list of variables: its object with the allocator's
// overhead, its heap buffer, and three slots, as a growing list holds its old and its new slot
// array at once.
std::int64_t listedStringCost(int length) {
    return std::int64_t(sizeof(VnString)) + VnString::kBlockOverhead + 3 * std::int64_t(sizeof(VnString*)) +
           VnString::heapCost(length);
}

// The memory that the items of the text form take as variables. Every item counts as one, the
// mask, the directory and the mounts too, so the sum stands for whatever reading them makes.
std::int64_t itemsCost(const char* text, int length) {
    std::int64_t cost = 0;
    eachItem(text, length, [&cost](const char*, int nameLength, const char*, int valueLength) {
        cost += listedStringCost(nameLength) + listedStringCost(valueLength);
    });
    return cost;
}

// True when the variables of the captured text fit kMaxCaptureCost; else the debug log says
// that nothing of the user's environment is added.
bool captureFits(const VnString& user, const char* text, int length) {
    if (itemsCost(text, length) <= kMaxCaptureCost) return true;
    VnDebug& log = vn_debug_obj();
    log.lock();
    log.mark() << "ERROR: environment of user " << _vn_log_blanked(user, "\r\n")
               << " too large to capture; nothing added.\n";
    log.unlock();
    return false;
}

// Hands a new copy of text to the list, which owns it from then on.
void pushCopy(VnStringList& list, const VnString& text) {
    std::unique_ptr<VnString> copy(new VnString(text));
    if (!list.push(copy.get())) throw std::bad_alloc();
    copy.release();
}

// su takes a name that begins with "-" for an option of its own, and the name stops at a zero
// byte on its way there: neither names the user that was asked for.
bool isUserName(const VnString& user) {
    return user.get(0) != '-' &&
           std::memchr(user.value(), 0, static_cast<std::size_t>(user.length())) == nullptr;
}

// The milliseconds that one capture of a user's environment may take.
std::atomic<int> captureLimit{30000};

using Clock = std::chrono::steady_clock;

// Milliseconds from now to the deadline, 0 once it has passed.
int millisecondsLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// The child's side of startSu: a process group of its own, so that a capture past its
// deadline can end su with everything it started; /dev/null as standard input, so that
// nothing waits for the caller's input; the pipe as standard output. Never returns.
[[noreturn]] void runSu(const char* user, int writeEnd) {
    setpgid(0, 0);
    // The pipe's end keeps its number when it already is standard output; the flag that closes
    // it on exec is then cleared by hand. Standard input is replaced only after that, as the
    // pipe's end may hold its number too.
    const int out = writeEnd == STDOUT_FILENO ? fcntl(writeEnd, F_SETFD, 0) : dup2(writeEnd, STDOUT_FILENO);
    const int nothing = out < 0 ? -1 : open("/dev/null", O_RDONLY);
    if (nothing < 0 || dup2(nothing, STDIN_FILENO) < 0) _exit(127);
    if (nothing != STDIN_FILENO) close(nothing);
    execlp("su", "su", "-", user, "-c", "\\echo __WIPE__ && \\echo __VNSTART__ && \\env",
           static_cast<char*>(nullptr));
    _exit(127);
}

// Starts su for the user with its standard output on a pipe. Answers the child's process id,
// which is also its process group, and sets readEnd to the pipe's end to read; -1 when no
// pipe or no process could be made. Both ends are closed on exec, so that no other program
// started meanwhile holds the pipe open.
pid_t startSu(const char* user, int& readEnd) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) runSu(user, ends[1]);
    close(ends[1]);
    if (pid < 0) {
        close(ends[0]);
        return -1;
    }
    setpgid(pid, pid);  // the child does the same; whichever runs first makes the group
    readEnd = ends[0];
    return pid;
}

// Reads everything the child writes. False when the output passes the cap or cannot be held,
// or when its end has not come by the deadline; the reading stops there.
bool readAll(int fd, std::string& out, Clock::time_point deadline) {
    char block[4096];
    try {
        for (;;) {
            pollfd ready{fd, POLLIN, 0};
            const int polled = poll(&ready, 1, millisecondsLeft(deadline));
            if (polled < 0 && errno == EINTR) continue;
            if (polled <= 0) return false;
            const ssize_t count = read(fd, block, sizeof block);
            if (count < 0 && errno == EINTR) continue;
            if (count <= 0) return true;
            if (out.size() + static_cast<std::size_t>(count) > kMaxCapture) return false;
            out.append(block, static_cast<std::size_t>(count));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Waits for the child to end, until the deadline; true when it has ended and is reaped.
bool reapBy(pid_t pid, Clock::time_point deadline) {
    for (;;) {
        const pid_t done = waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return true;
        const int left = millisecondsLeft(deadline);
        if (left == 0) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 10)));
    }
}

// Ends the child's whole process group and reaps the child.
void killGroup(pid_t pid) {
    if (kill(-pid, SIGKILL) != 0) kill(pid, SIGKILL);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

// The position just after the first line (bytes ended by a line feed) that is the marker
// line, or -1 when no line is.
int afterMarker(const std::string& output) {
    const std::string line = std::string(kStartMarker) + "\n";
    for (std::size_t start = 0; start < output.size();) {
        const std::size_t end = output.find('\n', start);
        if (end == std::string::npos) return -1;
        if (output.compare(start, end + 1 - start, line) == 0) return static_cast<int>(end + 1);
        start = end + 1;
    }
    return -1;
}

}  // namespace

VnEnv::VnEnv() : _umask(0) {}

VnEnv::VnEnv(const VnEnv& other) : VnPack(other), _umask(0) {
    *this = other;
}

VnEnv::~VnEnv() = default;

void VnEnv::copy(const VnEnv& other) {
    *this = other;
}

int VnEnv::find(const VnString& name) const {
    for (int i = 0; i < _keys.length(); ++i) {
        const VnString* key = _keys.get(i);
        if (key && *key == name) return i;
    }
    return -1;
}

void VnEnv::append(const VnString& name, const VnString& value) {
    pushCopy(_keys, name);
    pushCopy(_values, value);
}

void VnEnv::set(const VnString& name, const VnString& value) {
    const int i = find(name);
    if (i < 0) {
        append(name, value);
        return;
    }
    // A decoded pair of lists may be uneven: the value's place is made first.
    while (_values.length() <= i)
        pushCopy(_values, VnString());
    if (VnString* old = _values.get(i)) {
        *old = value;
    } else {
        _values.set(new VnString(value), i);
    }
}

VnString VnEnv::value(const VnString& name) const {
    const int i = find(name);
    const VnString* found = i < 0 ? nullptr : _values.get(i);
    return found ? *found : VnString("");
}

void VnEnv::clear() {
    _keys.clear();
    _values.clear();
}

VnString VnEnv::mount(const VnString& name) const {
    const VnString* text = _mounts.get(name);
    return text ? *text : VnString("");
}

int VnEnv::mount(const VnString& name, VnString& user, VnString& password, VnString& target) const {
    const VnString* text = _mounts.get(name);
    if (!text) return 0;
    const char* bytes = text->value();
    const int length = text->length();
    if (indexOf(bytes, 0, length, '@') == length) {
        target = *text;
        return 1;
    }
    int end = 0;  // an "@" lies ahead, so both walks stop inside the text
    while (bytes[end] != ':' && bytes[end] != '@')
        ++end;
    user.append(bytes, end);
    if (bytes[end] == ':') {
        const int at = indexOf(bytes, end + 1, length, '@');
        password.append(bytes + end + 1, at - end - 1);
        end = at;
    }
    target.append(bytes + end + 1, length - end - 1);
    return 1;
}

void VnEnv::mount(const VnString& name, const VnString& text) {
    std::unique_ptr<VnString> value(new VnString(text));
    if (_mounts.set(value.get(), name)) value.release();
}

void VnEnv::mounts(VnStringList& names) const {
    VnStringList own;
    _mounts.copykeys(own);
    for (int i = 0; i < own.length(); ++i)
        pushCopy(names, *own.get(i));
}

void VnEnv::mountLine(const char* line, int length) {
    const int bar = indexOf(line, 0, length, '|');
    const int targetStart = bar < length ? bar + 1 : length;
    const int targetEnd = indexOf(line, targetStart, length, '|');
    mount(VnString(line, bar), VnString(line + targetStart, targetEnd - targetStart));
}

void VnEnv::readMountLines(const char* text, int length) {
    for (int pos = 0; pos < length;) {
        const int end = indexOf(text, pos, length, '\n');
        mountLine(text + pos, end - pos);
        pos = end + 1;
    }
}

void VnEnv::mountmap(const VnString& text) {
    readMountLines(text.value(), text.length());
}

void VnEnv::mountmap(char* text, int length) {
    if (!text || length < 1) return;
    readMountLines(text, length);
}

VnString VnEnv::convert() const {
    VnString text("umask=");
    text += _umask;
    text += "\ncwd=";
    text += _cwd;
    VnStringList names;
    _mounts.copykeys(names);
    for (int i = 0; i < names.length(); ++i) {
        text += "\ndrivemap=";
        text += *names.get(i);
        text += '|';
        text += _mounts.get(*names.get(i));
    }
    for (int i = 0; i < _keys.length(); ++i) {
        text += '\n';
        text += _keys.get(i);
        text += '=';
        text += _values.get(i);
    }
    return text;
}

void VnEnv::readItem(const VnString& key, const VnString& value, bool& maskSeen, bool& cwdSeen) {
    if (!maskSeen && key == VnString("umask")) {
        _umask = value.integervalue();
        maskSeen = true;
    } else if (!cwdSeen && key == VnString("cwd")) {
        _cwd = value;
        cwdSeen = true;
    } else if (key == VnString("drivemap")) {
        mountLine(value.value(), value.length());
    } else {
        append(key, value);
    }
}

void VnEnv::readText(const char* text, int length) {
    bool maskSeen = false;
    bool cwdSeen = false;
    eachItem(text, length, [&](const char* name, int nameLength, const char* value, int valueLength) {
        readItem(VnString(name, nameLength), VnString(value, valueLength), maskSeen, cwdSeen);
    });
}

void VnEnv::revert(const VnString& text) {
    const VnString own(text);  // the text may be one of the fields that the reading sets
    readText(own.value(), own.length());
}

void VnEnv::revert(char* text, int length) {
    if (!text || length < 1) return;
    readText(text, length);
}

void VnEnv::setToEnv() {
    clear();
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* text = *entry;
        const char* equals = std::strchr(text, '=');
        if (equals) {
            append(VnString(text, static_cast<int>(equals - text)), VnString(equals + 1));
        } else {
            append(VnString(text), VnString(""));
        }
    }
    const mode_t old = umask(0);
    umask(old);
    _umask = static_cast<int>(old);
    std::vector<char> buffer(kCwdBuffer);
    if (getcwd(buffer.data(), buffer.size())) _cwd = buffer.data();
}

void VnEnv::setToEnv(const VnString& user) {
    if (!isUserName(user)) return;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(captureLimit.load());
    int readEnd = -1;
    const pid_t child = startSu(user.value(), readEnd);
    if (child < 0) {
        setToEnv();
        return;
    }
    std::string output;
    const bool whole = readAll(readEnd, output, deadline) && reapBy(child, deadline);
    close(readEnd);
    if (!whole) killGroup(child);  // su and all it started may still run; nothing more is read
    const int start = whole ? afterMarker(output) : -1;
    if (start < 0) return;
    const char* text = output.data() + start;
    const int length = static_cast<int>(output.size()) - start;
    if (captureFits(user, text, length)) readText(text, length);
}

void VnEnv::captureTimeout(int milliseconds) {
    captureLimit = std::max(milliseconds, 0);
}

int VnEnv::captureTimeout() {
    return captureLimit;
}

void VnEnv::setEnv(const VnString& name, const VnString& value) {
    VnString entry(name);
    entry += '=';
    entry += value;
    putenv(entry.copyvalue());
}

VnString VnEnv::valueEnv(const VnString& name) {
    for (char** entry = environ; entry && *entry; ++entry) {
        const char* text = *entry;
        const char* equals = std::strchr(text, '=');
        const int nameLength = static_cast<int>(equals ? equals - text : std::strlen(text));
        if (VnString(text, nameLength) == name) return VnString(equals ? equals + 1 : "");
    }
    return VnString("");
}

int VnEnv::type() {
    return VN_TYPE_ENV;
}

VnString VnEnv::typeXML() {
    return VnString(VN_XML_ENV);
}
