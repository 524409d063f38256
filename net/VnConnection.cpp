#include "net/VnConnection.h"

#include <errno.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/VnDebug.h"
#include "base/VnPackFormat.h"

using vn_pack::putInt32;

namespace {

// The error numbers of the connection's failures, named by their texts.
enum ErrorNumber {
    kNotActive = 3,        // couldn't use nonactive connection
    kNoCompress = 4,       // unable to compress input data
    kSendTimeout = 5,      // tcp send socket timed out
    kUnresolved = 12,      // unable to resolve host name
    kNoMemory = 14,        // can't allocate memory
    kReceiveTimeout = 15,  // tcp receive socket timed out
    kBlank = 16,           // blank message
    kReceiveFail = 17,     // tcp receive fail: $ERROR
    kVersion = 18,         // tcp comm version doesn't match - version: $VERSION
    kLength = 19,          // couldn't read tcp comm length: $ERROR
    kNoData = 20,          // no data in comm
    kNoInflate = 21,       // unable to uncompress data
    kNoHost = 32,          // host name unspecified
    kConnectTimeout = 35,  // unable to connect to host
    kConnectFail = 37,     // unable to connect to host: $ERROR
    kNoSocket = 38,        // couldn't open tcp socket
};

// Deflate cannot make a body grow by more than about 1032 times on inflating, so a larger
// stated length cannot be true; it is refused before any memory is taken for it.
const std::uint64_t kMaxRatio = 1032;

// Keeps the failure and writes it to the debug log, followed by its cause when one is given.
int fail(VnError& error, const VnError& what, const char* cause = nullptr) {
    error = what;
    VnDebug& log = vn_debug_obj();
    log.lock();
    log.mark() << "ERROR: " << what.value();
    if (cause) log << ": " << cause;
    log << "\n";
    log.unlock();
    return 0;
}

int fail(VnError& error, int number) {
    return fail(error, VnError(number));
}

int fail(VnError& error, int number, const char* name, const VnString& text) {
    VnError what(number);
    what.set(name, text);
    return fail(error, what);
}

VnString systemText(int code) {
    return VnString(std::strerror(code));
}

std::uint32_t getInt32(const char* in) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | static_cast<unsigned char>(in[i]);
    return value;
}

struct Header {
    std::uint32_t compressed = 0;
    std::uint32_t uncompressed = 0;
};

VnString overLimit(std::uint32_t length) {
    const std::string text =
        "length " + std::to_string(length) + " over the limit of " + std::to_string(VnConnection::MAX_LENGTH);
    return VnString(text.c_str());
}

// Reads the header from the available bytes (fewer than its size when the data ended).
int readHeader(const char* bytes, int available, Header& header, VnError& error) {
    if (available <= 0) return fail(error, kBlank);
    const int version = static_cast<unsigned char>(bytes[0]);
    if (version != VnConnection::VERSION) return fail(error, kVersion, "VERSION", VnString(version));
    if (available < VnConnection::HEADER_SIZE) return fail(error, kLength, "ERROR", "header cut short");
    header.compressed = getInt32(bytes + 1);
    header.uncompressed = getInt32(bytes + 5);
    const std::uint32_t limit = VnConnection::MAX_LENGTH;
    if (header.compressed > limit) return fail(error, kLength, "ERROR", overLimit(header.compressed));
    if (header.uncompressed > limit) return fail(error, kLength, "ERROR", overLimit(header.uncompressed));
    if (header.compressed == 0 || header.uncompressed == 0) return fail(error, kNoData);
    return 1;
}

// Inflates the body of header.compressed bytes, which must fill exactly the stated length
// and be used up.
int inflateBody(const char* body, const Header& header, std::vector<char>& packed, VnError& error) {
    if (header.uncompressed > header.compressed * kMaxRatio) return fail(error, kNoInflate);
    try {
        packed.resize(header.uncompressed);
    } catch (const std::bad_alloc&) {
        return fail(error, kNoMemory);
    }
    uLongf made = header.uncompressed;
    uLong used = header.compressed;
    const int result = uncompress2(reinterpret_cast<Bytef*>(packed.data()), &made,
                                   reinterpret_cast<const Bytef*>(body), &used);
    if (result == Z_OK && made == header.uncompressed && used == header.compressed) return 1;
    packed.clear();
    return fail(error, kNoInflate);
}

// Reads the packed message. One that is not read whole leaves the message empty: message
// number -1, no user and no content.
int unpackMessage(std::vector<char>& packed, VnMessage& message, VnError& error) {
    message.content(nullptr);
    int result = 0;
    try {
        result = message.unpack(packed.data(), static_cast<int>(packed.size()));
    } catch (const std::bad_alloc&) {
        result = -1;
    }
    if (result == 0) return 1;
    message.tag(-1);
    message.user(VnString());
    message.content(nullptr);
    if (result == -1) return fail(error, kNoMemory);
    // The binary reader answers 4 only when the objects it makes would pass its budget.
    if (result == 4) return fail(error, VnError(kNoMemory), "the read would pass the memory allowed for it");
    return fail(error, kBlank);
}

struct AddressListFree {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};

}  // namespace

// ---------------------------------------------------------------- frames

int VnConnection::frame(const char* packed, int length, std::vector<char>& out, VnError& error) {
    if (packed == nullptr || length <= 0) return fail(error, kBlank);
    if (length > MAX_LENGTH) return fail(error, kNoCompress);
    uLongf compressed = compressBound(static_cast<uLong>(length));
    try {
        out.resize(HEADER_SIZE + compressed);
    } catch (const std::bad_alloc&) {
        return fail(error, kNoMemory);
    }
    const int result = compress(reinterpret_cast<Bytef*>(out.data() + HEADER_SIZE), &compressed,
                                reinterpret_cast<const Bytef*>(packed), static_cast<uLong>(length));
    if (result != Z_OK || compressed > static_cast<uLongf>(MAX_LENGTH)) {
        out.clear();
        return fail(error, kNoCompress);
    }
    out.resize(HEADER_SIZE + compressed);
    out[0] = static_cast<char>(VERSION);
    putInt32(out.data() + 1, static_cast<std::uint32_t>(compressed));
    putInt32(out.data() + 5, static_cast<std::uint32_t>(length));
    return 1;
}

int VnConnection::frame(VnMessage& message, std::vector<char>& out, VnError& error) {
    try {
        message.pack();
    } catch (const std::bad_alloc&) {
        return fail(error, kNoMemory);
    }
    return frame(message.packContents(), message.packSize(), out, error);
}

int VnConnection::unframe(const char* data, int length, std::vector<char>& packed, VnError& error) {
    if (data == nullptr || length < 0) length = 0;
    Header header;
    if (!readHeader(data, std::min(length, static_cast<int>(HEADER_SIZE)), header, error)) return 0;
    if (static_cast<std::uint32_t>(length - HEADER_SIZE) < header.compressed) return fail(error, kNoData);
    return inflateBody(data + HEADER_SIZE, header, packed, error);
}

int VnConnection::unframe(const char* data, int length, VnMessage& message, VnError& error) {
    std::vector<char> packed;
    return unframe(data, length, packed, error) && unpackMessage(packed, message, error);
}

// ---------------------------------------------------------------- the socket

VnConnection::VnConnection(int timeout)
    : _kind(TCP),
      _fd(-1),
      _deadline(std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeout, 0))) {}

VnConnection::~VnConnection() {
    close();
}

int VnConnection::type() {
    return _kind;
}

void VnConnection::close() {
    if (_fd >= 0) ::close(_fd);
    _fd = -1;
}

void VnConnection::attach(int fd) {
    close();
    _fd = fd;
    if (_fd >= 0) fcntl(_fd, F_SETFL, fcntl(_fd, F_GETFL) | O_NONBLOCK);
}

const VnError& VnConnection::error() const {
    return _error;
}

int VnConnection::_fail(int number) {
    return fail(_error, number);
}

int VnConnection::_fail(int number, const char* name, const VnString& text) {
    return fail(_error, number, name, text);
}

int VnConnection::_remaining() const {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(_deadline - std::chrono::steady_clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, INT_MAX));
}

int VnConnection::_wait(short events, int timedOut) {
    for (;;) {
        const int left = _remaining();
        if (left == 0) return _fail(timedOut);
        pollfd watched{_fd, events, 0};
        const int ready = poll(&watched, 1, left);
        if (ready > 0) return 1;
        if (ready < 0 && errno != EINTR) return _fail(kReceiveFail, "ERROR", systemText(errno));
    }
}

int VnConnection::_connect(const void* address, unsigned length, int family, int protocol) {
    close();
    _fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
    if (_fd < 0) return _fail(kNoSocket);
    if (::connect(_fd, static_cast<const sockaddr*>(address), length) == 0) return 1;
    if (errno != EINPROGRESS && errno != EINTR) return _fail(kConnectFail, "ERROR", systemText(errno));
    if (!_wait(POLLOUT, kConnectTimeout)) return 0;
    int problem = 0;
    socklen_t size = sizeof problem;
    if (getsockopt(_fd, SOL_SOCKET, SO_ERROR, &problem, &size) != 0) problem = errno;
    if (problem != 0) return _fail(kConnectFail, "ERROR", systemText(problem));
    return 1;
}

int VnConnection::open(const VnString& host, int port) {
    if (host.length() == 0) return _fail(kNoHost);
    // A name with a zero byte in it would be read only up to that byte.
    if (std::strlen(host.value()) != static_cast<std::size_t>(host.length())) return _fail(kUnresolved);
    if (port < 1 || port > 65535) return _fail(kConnectFail, "ERROR", "invalid port");
    addrinfo hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.value(), VnString(port).value(), &hints, &found) != 0 || found == nullptr)
        return _fail(kUnresolved);
    const std::unique_ptr<addrinfo, AddressListFree> addresses(found);
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        if (_connect(a->ai_addr, a->ai_addrlen, a->ai_family, a->ai_protocol)) return 1;
        close();
        if (_remaining() == 0) break;
    }
    return 0;
}

int VnConnection::_sendAll(const char* bytes, int count) {
    while (count > 0) {
        const ssize_t sent = ::send(_fd, bytes, static_cast<std::size_t>(count), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes += sent;
            count -= static_cast<int>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (!_wait(POLLOUT, kSendTimeout)) return 0;
        } else {
            return _fail(kNotActive);
        }
    }
    return 1;
}

int VnConnection::_receiveAll(char* bytes, int count, int& got) {
    got = 0;
    while (got < count) {
        const ssize_t n = ::recv(_fd, bytes + got, static_cast<std::size_t>(count - got), 0);
        if (n > 0) {
            got += static_cast<int>(n);
            continue;
        }
        if (n == 0) return 0;
        const int code = errno;
        if (code == EINTR) continue;
        if ((code == EAGAIN || code == EWOULDBLOCK) && _wait(POLLIN, kReceiveTimeout)) continue;
        if (code != EAGAIN && code != EWOULDBLOCK) _fail(kReceiveFail, "ERROR", systemText(code));
        got = -1;
        return 0;
    }
    return 1;
}

int VnConnection::send(VnMessage& message) {
    if (_fd < 0) return _fail(kNotActive);
    std::vector<char> bytes;
    if (!frame(message, bytes, _error)) return 0;
    return _sendAll(bytes.data(), static_cast<int>(bytes.size()));
}

int VnConnection::receive(VnMessage& message) {
    if (_fd < 0) return _fail(kNotActive);
    char header[HEADER_SIZE];
    int got = 0;
    _receiveAll(header, HEADER_SIZE, got);
    if (got < 0) return 0;
    Header parsed;
    if (!readHeader(header, got, parsed, _error)) return 0;
    std::vector<char> body;
    try {
        body.resize(parsed.compressed);
    } catch (const std::bad_alloc&) {
        return _fail(kNoMemory);
    }
    if (!_receiveAll(body.data(), static_cast<int>(parsed.compressed), got))
        return got < 0 ? 0 : _fail(kNoData);
    std::vector<char> packed;
    return inflateBody(body.data(), parsed, packed, _error) && unpackMessage(packed, message, _error);
}
