#ifndef VN_NET_VNCONNECTION_H
#define VN_NET_VNCONNECTION_H

#include <chrono>
#include <vector>

#include "base/VnBase.h"
#include "base/VnError.h"
#include "base/VnString.h"
#include "net/VnMessage.h"

// One TCP conversation: a request and its reply, within one deadline that covers connecting,
// sending and receiving together.
//
// A frame is the version byte 2, the compressed and the uncompressed length of the body as
// big-endian 32-bit numbers, and the body: the packed message compressed with zlib. A frame
// whose version is not 2, whose lengths are 0 or over MAX_LENGTH, or whose body does not
// inflate to exactly the stated length is refused.
//
// Every failure is kept as a VnError and written to the debug log as "ERROR: " and its text.
//
// type() answers the connection's kind, not a class number; only TCP is built.
class VnConnection : public VnBase {
public:
    // The kinds of connection.
    static constexpr int TCP = 1;

    static constexpr int VERSION = 2;
    static constexpr int HEADER_SIZE = 9;
    // The largest compressed or uncompressed body accepted or sent.
    static constexpr int MAX_LENGTH = 64 * 1024 * 1024;

    // The frame of a packed message, or of the message itself. 1 done, else 0 with error set.
    static int frame(const char* packed, int length, std::vector<char>& out, VnError& error);
    static int frame(VnMessage& message, std::vector<char>& out, VnError& error);
    // The packed message inside a frame, or the message itself. Bytes after the frame are
    // not read. 1 done, else 0 with error set.
    static int unframe(const char* data, int length, std::vector<char>& packed, VnError& error);
    static int unframe(const char* data, int length, VnMessage& message, VnError& error);

    // An unconnected conversation whose deadline is timeout milliseconds from now.
    explicit VnConnection(int timeout);
    VnConnection(const VnConnection&) = delete;
    VnConnection& operator=(const VnConnection&) = delete;
    ~VnConnection() override;

    // The kind of this connection: TCP.
    int type() override;

    // Connects to host on port, trying each address that the name resolves to. 1 or 0.
    int open(const VnString& host, int port);
    // Takes over a connected socket, which is closed with the conversation.
    void attach(int fd);
    // Sends the message, packed and framed. 1 or 0.
    int send(VnMessage& message);
    // Reads one frame into message, which loses its content first. 1 or 0.
    int receive(VnMessage& message);
    void close();

    // The last failure.
    const VnError& error() const;

private:
    // Milliseconds left before the deadline, rounded up; 0 once it has passed.
    int _remaining() const;
    // Waits until the socket is ready for events. 1 ready; 0 when the deadline passed (the
    // failure timedOut is kept) or polling failed.
    int _wait(short events, int timedOut);
    int _sendAll(const char* bytes, int count);
    // Reads count bytes; got tells how many came. 1 all read; 0 the peer closed first or a
    // failure was kept (got is then -1).
    int _receiveAll(char* bytes, int count, int& got);
    int _connect(const void* address, unsigned length, int family, int protocol);
    int _fail(int number);
    int _fail(int number, const char* name, const VnString& text);

    int _kind;
    int _fd;
    std::chrono::steady_clock::time_point _deadline;
    VnError _error;
};

#endif  // VN_NET_VNCONNECTION_H
