#include "job/VnEvent.h"

#include <initializer_list>

#include "base/VnSid.h"

namespace {

constexpr int kJob = 0;
constexpr int kSubjob = 1;
constexpr int kWork = 2;
constexpr int kNoCategory = 4;
constexpr int kVariable = 5;
constexpr int kClient = 6;
constexpr int kTime = 8;
constexpr int kRepeat = 16;
constexpr int kHost = 32;
constexpr int kGlobal = 128;
constexpr int kGlobalTime = 136;
constexpr int kGlobalRepeat = 152;
constexpr int kLastLocal = 127;

constexpr int kAllSubjobs = -2;

struct Category {
    int number;
    const char* word;
};

// The categories with a word; host events have none.
const Category kCategories[] = {
    {kJob, "job"},
    {kSubjob, "subjob"},
    {kWork, "work"},
    {kVariable, "variable"},
    {kClient, "client"},
    {kTime, "time"},
    {kRepeat, "repeat"},
    {kGlobal, "global"},
    {kGlobalTime, "globaltime"},
    {kGlobalRepeat, "globalrepeat"},
};

// The category number of a word; kNoCategory for any other text.
int categoryOf(const VnString& word) {
    for (const Category& c : kCategories) {
        if (word == VnString(c.word)) return c.number;
    }
    return kNoCategory;
}

// Hands out the words of a full name one by one: the bytes up to the next "-" or the end of
// the text, consuming that "-". Past the end every word is empty. It reads its own copy of
// the text, so the text may be a field of the event being filled.
class Words {
public:
    explicit Words(const VnString& text) : _text(text) {}

    VnString next() {
        const char* bytes = _text.value();
        int end = _pos;
        while (end < _text.length() && bytes[end] != '-')
            ++end;
        VnString word(bytes + _pos, end - _pos);
        _pos = end < _text.length() ? end + 1 : end;
        return word;
    }
    int nextInteger() { return next().integervalue(); }

private:
    const VnString _text;
    int _pos = 0;
};

// head followed by the words, joined by "-".
VnString joined(VnString head, std::initializer_list<VnString> words) {
    const char* separator = "";
    for (const VnString& word : words) {
        head += separator;
        head += word;
        separator = "-";
    }
    return head;
}

}  // namespace

VnEvent::VnEvent() = default;

VnEvent::VnEvent(int jobid, const VnString& name) {
    _data.category = kJob;
    _data.jobid = jobid;
    _data.name = name;
}

VnEvent::VnEvent(int jobid, int subid, const VnString& name) {
    _data.category = kSubjob;
    _data.jobid = jobid;
    _data.subid = subid;
    _data.name = name;
}

VnEvent::VnEvent(int jobid, const VnString& workid, const VnString& name) {
    _data.category = kWork;
    _data.jobid = jobid;
    _data.textid = workid;
    _data.name = name;
}

VnEvent::VnEvent(const VnString& text) {
    fullname(text);
}

VnEvent::VnEvent(const VnEvent& other) : VnPack(other), _data(other._data) {}

VnEvent::~VnEvent() = default;

VnEvent& VnEvent::operator=(const VnEvent& other) {
    VnPack::operator=(other);
    _data = other._data;
    return *this;
}

void VnEvent::copy(const VnEvent& other) {
    *this = other;
}

VnString VnEvent::subidstring() const {
    return _data.subid == kAllSubjobs ? VnString("*") : VnString(_data.subid);
}

void VnEvent::subidstring(const VnString& text) {
    const bool all = text.length() == 0 || text == VnString("*");
    _data.subid = all ? kAllSubjobs : text.integervalue();
}

VnString VnEvent::categorystring() const {
    for (const Category& c : kCategories) {
        if (c.number == _data.category) return VnString(c.word);
    }
    return VnString("unknown");
}

void VnEvent::categorystring(const VnString& word) {
    _data.category = categoryOf(word);
}

int VnEvent::isglobal() const {
    return _data.category > kLastLocal;
}

VnString VnEvent::fullname() const {
    VnString head(_data.name);
    head += '-';
    const VnString& label = _data.label;
    const VnString start(_data.start);
    const VnString interval(_data.interval);
    switch (_data.category) {
        case kJob:
            return joined(head, {"job", label});
        case kSubjob:
            return joined(head, {"subjob", label, subidstring()});
        case kWork:
            return joined(head, {"work", label, _data.textid});
        case kVariable:
            return joined(head, {"variable", label, _data.textid});
        case kClient:
            return joined(head, {"client", label});
        case kTime:
            return joined(head, {"time", label, start});
        case kRepeat:
            return joined(head, {"repeat", label, start, interval});
        case kHost:
            return joined(head, {"host", label, _data.textid});
        case kGlobal:
            return joined(head, {"global"});
        case kGlobalTime:
            return joined(head, {"globaltime", start});
        case kGlobalRepeat:
            return joined(head, {"globalrepeat", start, interval});
        default:
            return head;
    }
}

void VnEvent::fullname(const VnString& text) {
    Words words(text);
    _data.name = words.next();
    categorystring(words.next());
    switch (_data.category) {
        case kJob:
        case kClient:
            _data.label = words.next();
            break;
        case kSubjob:
            _data.label = words.next();
            subidstring(words.next());
            break;
        case kWork:
        case kVariable:
            _data.label = words.next();
            _data.textid = words.next();
            break;
        case kTime:
            _data.label = words.next();
            _data.start = words.nextInteger();
            break;
        case kRepeat:
            _data.label = words.next();
            _data.start = words.nextInteger();
            _data.interval = words.nextInteger();
            break;
        case kGlobalTime:
            _data.start = words.nextInteger();
            break;
        case kGlobalRepeat:
            _data.start = words.nextInteger();
            _data.interval = words.nextInteger();
            break;
        default:
            break;
    }
}

int VnEvent::isvalid(const VnString& text) {
    Words words(text);
    words.next();
    return categoryOf(words.next()) != kNoCategory;
}

int VnEvent::sid(int n) const {
    if (_data.pid < 0) return -1;
    return _vn_sid(_data.pid, n);
}

int VnEvent::type() {
    return VN_TYPE_EVENT;
}

VnString VnEvent::typeXML() {
    return VnString(VN_XML_EVENT);
}
