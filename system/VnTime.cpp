#include "system/VnTime.h"

#include <errno.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <memory>
#include <new>
#include <ostream>
#include <string>

#include "base/VnTypes.h"
#include "net/VnClient.h"
#include "net/VnMessage.h"
#include "system/VnCacheFile.h"
#include "system/VnDefault.h"

int VnTime::_diff = 0;
bool VnTime::_init = false;
bool VnTime::_reference = false;

namespace {

// Unix time of the epoch, 2000-01-01 00:00:00 UTC-5.
const long long kEpoch = 946702800;

// The message number of the clock request; the supervisor answers with its time.
const int kTimeRequest = 107;

// The cached offset is a short decimal text.
const int kCacheLimit = 64;

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kDays[] = {"Sun", "Mon", "Tues", "Wed", "Thurs", "Fri", "Sat"};

int held(long long value) {
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

long long localClock() {
    return static_cast<long long>(std::time(nullptr)) - kEpoch;
}

// The value as broken-down local time; false when it cannot be converted.
bool localTime(int value, std::tm& out) {
    const std::time_t unix = static_cast<std::time_t>(value + kEpoch);
    return localtime_r(&unix, &out) != nullptr;
}

VnString twoDigits(int n) {
    VnString text;
    text.integervalue(n, 2);
    return text;
}

// The user's part of the cache file's name: the login name of the process's real user, or
// "uid" and the numeric user id when the user database has no entry for it (as in containers
// started with an arbitrary id), so that reading the clock never needs a name.
VnString cacheUser() {
    VnString name;
    if (vn_login_name(1024, name)) return name;
    return VnString(("uid" + std::to_string(getuid())).c_str());
}

VnString cachePath() {
    VnString path(vn_default_string(304));
    path += "/time_";
    path += cacheUser();
    path += ".tmp";
    return path;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Cuts text into the tokens of a date line and hands each to take, which answers false to
// stop the scan.
template <class Take>
void scanTokens(const VnString& text, Take take) {
    const char* bytes = text.value();
    const int length = text.length();
    int start = 0;
    for (int i = 0; i <= length; ++i) {
        const char c = i < length ? bytes[i] : ' ';
        const bool single = c == ',' || c == ':';
        if (!single && !isBlank(c)) continue;
        if (i > start && !take(VnString(bytes + start, i - start))) return;
        if (single && !take(VnString(bytes + i, 1))) return;
        start = i + 1;
    }
}

// The integer of token n, 0 when there are not so many tokens.
int tokenValue(const VnString* tokens, int count, int n) {
    return n < count ? tokens[n].integervalue() : 0;
}

int monthOf(const VnString& word) {
    for (int m = 0; m < 12; ++m) {
        if (word == VnString(kMonths[m])) return m;
    }
    return 0;
}

void pause(long long milliseconds) {
    if (milliseconds <= 0) return;
    timespec rest{static_cast<std::time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000};
    while (nanosleep(&rest, &rest) != 0 && errno == EINTR) {
    }
}

// The supervisor's time carried by a reply; null when it carries no time.
VnTime* timeOf(VnMessage& reply) {
    VnPack* content = reply.content();
    if (content == nullptr || content->type() != VN_TYPE_TIME) return nullptr;
    return dynamic_cast<VnTime*>(content);
}

// One clock request to the supervisor (the named host, or the one the client finds); the
// offset is the supervisor's time plus half the round trip, less the local time of sending.
void measure(const VnString* host) {
    VnTime::_diff = 0;
    VnTime::_init = true;
    if (VnTime::_reference) return;
    const long long sent = localClock();
    VnMessage request(kTimeRequest);
    VnMessage reply;
    VnClient client;
    const int answered =
        host ? client.converseSupervisor(*host, request, reply) : client.converseSupervisor(request, reply);
    if (!answered) {
        VnDebug& log = vn_debug_obj();
        log.lock();
        log.mark() << "ERROR: couldn't obtain time from supervisor."
                   << "\n";
        log.unlock();
        return;
    }
    const long long received = localClock();
    const VnTime* supervisor = timeOf(reply);
    if (supervisor == nullptr) return;
    VnTime::_diff = held(supervisor->value() - sent + (received - sent) / 2);
    vn_cache_save(cachePath(), VnString(VnTime::_diff));
}

}  // namespace

VnTime::VnTime() : _value(0) {}

VnTime::VnTime(int value) : _value(value) {}

VnTime::~VnTime() = default;

void VnTime::copy(const VnTime& other) {
    *this = other;
}

int VnTime::value() const {
    return _value;
}

void VnTime::value(int value) {
    _value = value;
}

int VnTime::unixvalue() const {
    return held(_value + kEpoch);
}

void VnTime::unixvalue(int t) {
    _value = held(t - kEpoch);
}

void VnTime::setToNow() {
    if (!_init && !_reference) {
        _diff = vn_cache_load(cachePath(), kCacheLimit).integervalue();
        _init = true;
    }
    _value = held(localClock() + _diff);
}

void VnTime::setToLocalClock() {
    _value = held(localClock());
}

void VnTime::syncToServer() {
    measure(nullptr);
}

void VnTime::syncToServer(const VnString& host) {
    measure(&host);
}

// The offset is taken against the local clock alone, so that it does not depend on the
// offset in force before.
void VnTime::syncToDatabase(const VnTime& reference) {
    if (_reference) return;
    _diff = held(reference.value() - localClock());
    _init = true;
}

int VnTime::diff() {
    return _diff;
}

void VnTime::setAsReference() {
    _diff = 0;
    _init = true;
    _reference = true;
}

VnString VnTime::ascii() const {
    if (_value == 0) return VnString("None");
    std::tm local = {};
    if (!localTime(_value, local)) return VnString("");
    VnString text(kMonths[local.tm_mon]);
    text += " ";
    text += local.tm_mday;
    text += ", ";
    text += local.tm_year + 1900;
    text += " ";
    text += local.tm_hour;
    text += ":";
    text += twoDigits(local.tm_min);
    text += ":";
    text += twoDigits(local.tm_sec);
    return text;
}

// Only the first nine tokens are ever read, so the scan stops there.
void VnTime::ascii(const VnString& text) {
    VnString tokens[9];
    int count = 0;
    scanTokens(text, [&](const VnString& token) {
        tokens[count++] = token;
        return count < 9;
    });
    if (count <= 3 || tokens[2] != VnString(",")) return;
    std::tm broken = {};  // daylight-saving flag 0: the text is standard local time
    broken.tm_mon = monthOf(tokens[0]);
    broken.tm_mday = tokens[1].integervalue();
    broken.tm_year = held(static_cast<long long>(tokens[3].integervalue()) - 1900);
    broken.tm_hour = tokenValue(tokens, count, 4);
    broken.tm_min = tokenValue(tokens, count, 6);
    broken.tm_sec = tokenValue(tokens, count, 8);
    errno = 0;
    const std::time_t unix = std::mktime(&broken);
    if (unix == static_cast<std::time_t>(-1) && errno != 0) return;
    // A moment that the value cannot hold is not read as some other moment.
    const long long value = static_cast<long long>(unix) - kEpoch;
    if (value < INT_MIN || value > INT_MAX) return;
    _value = static_cast<int>(value);
}

VnString VnTime::day() const {
    std::tm local = {};
    if (!localTime(_value, local)) return VnString("");
    return VnString(kDays[local.tm_wday]);
}

int VnTime::hour() const {
    std::tm local = {};
    return localTime(_value, local) ? local.tm_hour : 0;
}

VnString VnTime::counter() const {
    const int v = _value;
    VnString text;
    if (v < 120) {
        text += v;
        text += " s";
    } else if (v <= 7199) {
        text += v / 60;
        text += ".";
        text += (v % 60) / 6;
        text += " m";
    } else {
        text += v / 3600;
        text += ".";
        text += (v % 3600) / 360;
        text += " h";
    }
    return text;
}

void VnTime::sleep_seconds(int n) {
    pause(static_cast<long long>(n) * 1000);
}

void VnTime::sleep_milliseconds(int n) {
    pause(n);
}

int VnTime::type() {
    return VN_TYPE_TIME;
}

VnString VnTime::typeXML() {
    return VnString(VN_XML_TIME);
}

void vn_time_tokenize(const VnString& text, VnStringList& tokens) {
    scanTokens(text, [&tokens](const VnString& token) {
        std::unique_ptr<VnString> item(new VnString(token));
        if (!tokens.push(item.get())) throw std::bad_alloc();
        item.release();
        return true;
    });
}

std::ostream& operator<<(std::ostream& os, const VnTime& time) {
    return os << time.ascii();
}

VnDebug& operator<<(VnDebug& debug, const VnTime& time) {
    return debug << time.ascii();
}
