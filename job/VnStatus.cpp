#include "job/VnStatus.h"

#include <ostream>

#include "base/VnTypes.h"

namespace {

struct StatusWord {
    int code;
    const char* word;
};

const StatusWord kWords[] = {
    {VnStatus::NONE, "none"},       {VnStatus::SAVED, "saved"},     {VnStatus::COMPLETE, "complete"},
    {VnStatus::WARNING, "warning"}, {VnStatus::FAILED, "failed"},   {VnStatus::KILLED, "killed"},
    {VnStatus::BLOCKED, "blocked"}, {VnStatus::PAUSED, "paused"},   {VnStatus::SUSPENDED, "suspended"},
    {VnStatus::PENDING, "pending"}, {VnStatus::WAITING, "waiting"}, {VnStatus::BADLOGIN, "badlogin"},
    {VnStatus::RUNNING, "running"},
};

}  // namespace

VnStatus::VnStatus() : _code(NONE) {}

VnStatus::VnStatus(int code) : _code(code) {}

VnStatus::VnStatus(const VnString& word) : _code(NONE) {
    value(word);
}

VnStatus::VnStatus(const VnStatus& other) = default;

VnStatus::~VnStatus() = default;

VnStatus& VnStatus::operator=(int code) {
    _code = code;
    return *this;
}

VnStatus& VnStatus::operator=(const VnString& word) {
    value(word);
    return *this;
}

void VnStatus::copy(const VnStatus& other) {
    *this = other;
}

void VnStatus::copy(const VnString& word) {
    value(word);
}

void VnStatus::value(int code) {
    _code = code;
}

void VnStatus::value(const VnString& word) {
    _code = NONE;
    for (const StatusWord& entry : kWords) {
        if (word == VnString(entry.word)) _code = entry.code;
    }
}

VnString VnStatus::value() const {
    for (const StatusWord& entry : kWords) {
        if (entry.code == _code) return VnString(entry.word);
    }
    return VnString("none");
}

int VnStatus::integervalue() const {
    return _code;
}

int VnStatus::type() {
    return VN_TYPE_STATUS;
}

VnString VnStatus::typeXML() {
    return VnString(VN_XML_STATUS);
}

std::ostream& operator<<(std::ostream& os, const VnStatus& status) {
    return os << status.value();
}

VnDebug& operator<<(VnDebug& debug, const VnStatus& status) {
    return debug << status.value();
}
