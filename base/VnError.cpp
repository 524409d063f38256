#include "base/VnError.h"

#include <cstdlib>
#include <iostream>

#include "base/VnTypes.h"

namespace {

struct ErrorText {
    int number;
    const char* text;
};

// Every error number with a text of its own. The same failing step on two
// paths has one text under two numbers.
const ErrorText kErrorTexts[] = {
    // Client side of a connection.
    {1, "unable to establish key exchange"},
    {2, "openssl error: $ERROR"},
    {3, "couldn't use nonactive connection"},
    {4, "unable to compress input data"},
    {5, "tcp send socket timed out"},
    {6, "couldn't imprint connection"},
    {7, "couldn't write compressed length to header"},
    {8, "couldn't write length to header"},
    {9, "raw tcp send socket timed out"},
    {10, "couldn't open udp socket"},
    {11, "udp bind fail: $ERROR"},
    {12, "unable to resolve host name"},
    {13, "udp send fail: $ERROR"},
    {14, "can't allocate memory"},
    {15, "tcp receive socket timed out"},
    {16, "blank message"},
    {17, "tcp receive fail: $ERROR"},
    {18, "tcp comm version doesn't match - version: $VERSION"},
    {19, "couldn't read tcp comm length: $ERROR"},
    {20, "no data in comm"},
    {21, "unable to uncompress data"},
    {22, "openssl tcp send socket timed out"},
    {23, "openssl tcp receive fail: $ERROR"},
    {24, "openssl tcp comm version doesn't match - version: VERSION"},
    {25, "couldn't read openssl tcp comm length: $ERROR"},
    {26, "no data in comm"},
    {27, "couldn't allocate enough memory for udp buffer"},
    {28, "udp receive socket timed out"},
    {30, "blank message"},
    {31, "udp comm version doesn't match - version: $VERSION"},
    {32, "host name unspecified"},
    {33, "unable to set send socket timeout"},
    {34, "unable to set receive socket timeout"},
    {35, "unable to connect to host"},
    {37, "unable to connect to host: $ERROR"},
    {38, "couldn't open tcp socket"},
    {39, "couldn't locate entry for udp protocol."},
    {40, "couldn't locate entry for tcp protocol."},
    // Listening side.
    {1039, "select fail: $ERROR"},
    {1040, "problem accepting connection"},
    {1041, "couldn't open udp socket"},
    {1042, "unable to determine local host name"},
    {1043, "couldn't open tcp socket"},
    {1044, "unable to set send socket timeout"},
    {1045, "unable to set receive socket timeout"},
    {1046, "unable to obtain socket info - $ERROR"},
    {1047, "unable to listen on socket"},
    {1048, "udp bind fail: $ERROR"},
    {1049, "openssl tcp bind fail: $ERROR"},
    {1050, "tcp bind fail: $ERROR"},
    {1051, "connection rejected - too many connections"},
    // Replies.
    {2051, "unspecifed error"},
    {2052, "ERROR: data returned blank"},
    {2054, "access denied"},
    // Submission and lookup.
    {3055, "message invalid"},
    {3056, "no jobs specifed to submit."},
    {3057, "supervisor not accepting jobs."},
    {3058, "job submission denied - no authorization."},
    {3059, "job submission denied - no password."},
    {3060, "job submission denied - $ERROR"},
    {3061, "couldn't find host(s)."},
    {3063, "couldn't find jobs(s)."},
    {3064, "job submission denied - must be administrator to use elite job flag."},
    // Worker.
    {4062, "Unable to launch job."},
    {4063, "Job data corrupt."},
    {4064, "Worker auto-mount disabled."},
    {4065, "Worker unable to satisfy requirements."},
    {4066, "Worker no cpus available."},
    {4067, "Account doesn't exist."},
    {4068, "Worker already processing new job."},
    {4069, "job not assigned."},
    {4070, "Unable to login to windows."},
    {4071, "Drive is already mounted on this host."},
    // A ready text carried whole, such as an older error's.
    {100000, "$ERROR"},
};

const char* errorText(int number) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.number == number) return entry.text;
    }
    return "general error";
}

[[noreturn]] void endWith(const char* prefix, const char* text) {
    std::cerr << prefix;
    if (text) std::cerr << text;
    std::cerr << '\n';
    std::cerr.flush();
    std::exit(1);
}

}  // namespace

// ---------------------------------------------------------------- VnError

VnError::VnError() : number(0) {}

VnError::VnError(int number) : number(number) {}

VnError::VnError(const VnError& other) : VnPack(other), number(0) {
    copy(other);
}

VnError::~VnError() = default;

VnError& VnError::operator=(const VnError& other) {
    copy(other);
    return *this;
}

void VnError::copy(const VnError& other) {
    if (&other == this) return;
    number = other.number;
    values.copy(other.values);
}

VnString VnError::value() const {
    return values.parse(errorText(number));
}

void VnError::value(int number) {
    this->number = number;
}

int VnError::integervalue() const {
    return number;
}

void VnError::set(const VnString& name, const VnString& value) {
    values.set(name, value);
}

int VnError::type() {
    return VN_TYPE_ERROR;
}

VnString VnError::typeXML() {
    return VnString(VN_XML_ERROR);
}

// ---------------------------------------------------------------- VnOldError

VnOldError::VnOldError() = default;

VnOldError::VnOldError(const VnString& text) : _value(text) {}

VnOldError::VnOldError(const VnOldError& other) : VnPack(other) {
    copy(other);
}

VnOldError::~VnOldError() = default;

VnOldError& VnOldError::operator=(const VnOldError& other) {
    copy(other);
    return *this;
}

void VnOldError::copy(const VnOldError& other) {
    _value = other._value;
}

const VnString& VnOldError::value() const {
    return _value;
}

void VnOldError::value(const VnString& text) {
    _value = text;
}

int VnOldError::type() {
    return VN_TYPE_OLD_ERROR;
}

VnString VnOldError::typeXML() {
    return VnString(VN_XML_OLD_ERROR);
}

// ---------------------------------------------------------------- FATALERROR

void FATALERROR(int number) {
    std::cerr << "Error: " << number << '\n';
    std::cerr.flush();
    std::exit(1);
}

void FATALERROR(char* text) {
    endWith("OldError: ", text);
}

void FATALERROR(const char* text) {
    endWith("OldError: ", text);
}

void FATALERROR(VnString text) {
    endWith("OldError: ", text.value());
}
