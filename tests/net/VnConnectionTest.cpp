#include "net/VnConnection.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zlib.h>

#include <string>
#include <utility>
#include <vector>

#include "base/VnTypes.h"
#include "system/VnTime.h"
#include "testing/TestRecords.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace {

const std::string kPacked =
    kVersion + intField(1, 107) + strField(2, "bob") + objField(3, VN_TYPE_TIME, intField(1, 5));

std::string compressed(const std::string& bytes) {
    uLongf length = compressBound(bytes.size());
    std::string out(length, '\0');
    compress(reinterpret_cast<Bytef*>(&out[0]), &length, reinterpret_cast<const Bytef*>(bytes.data()),
             bytes.size());
    out.resize(length);
    return out;
}

// A frame with the given lengths and body.
std::string frame(int compressedLength, int uncompressedLength, const std::string& body, char version = 2) {
    return std::string(1, version) + be32(compressedLength) + be32(uncompressedLength) + body;
}

std::string frameOf(const std::string& packedBytes) {
    const std::string body = compressed(packedBytes);
    return frame(int(body.size()), int(packedBytes.size()), body);
}

int unframe(const std::string& bytes, VnMessage& message) {
    std::vector<char> data(bytes.begin(), bytes.end());  // exactly as long, so an overread is caught
    VnError error;
    return VnConnection::unframe(data.data(), int(data.size()), message, error);
}

// A loopback listener that never accepts and whose one place in the queue is taken: the system
// drops a further connection's request, so that connect waits for an answer that never comes.
// port() is 0 when it could not be set up.
class FullListener {
public:
    FullListener() {
        listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        auto* any = reinterpret_cast<sockaddr*>(&address);
        if (listener < 0 || bind(listener, any, size) != 0 || listen(listener, 0) != 0 ||
            getsockname(listener, any, &size) != 0)
            return;
        filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        connect(filler, any, size);
        pollfd queued{listener, POLLIN, 0};  // readable once the filler waits in the queue
        if (poll(&queued, 1, 10000) == 1) listenerPort = ntohs(address.sin_port);
    }
    ~FullListener() {
        if (filler >= 0) close(filler);
        if (listener >= 0) close(listener);
    }
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;

    int port() const { return listenerPort; }

private:
    int listener = -1;
    int filler = -1;
    int listenerPort = 0;
};

}  // namespace

TEST(VnConnection, IsATcpConnection) {
    VnConnection connection(0);
    EXPECT_EQ(VnConnection::TCP, 1);
    EXPECT_EQ(static_cast<VnBase&>(connection).type(), VnConnection::TCP);
}

// A connect that is still waiting at the deadline is a connect failure of its own, not a send
// or receive time-out.
TEST(VnConnection, ConnectPastTheDeadline) {
    FullListener full;
    ASSERT_NE(full.port(), 0);
    VnConnection connection(200);
    if (connection.open("127.0.0.1", full.port()))
        GTEST_SKIP() << "the system took a connection past the backlog";
    EXPECT_EQ(connection.error().integervalue(), 35);
    EXPECT_STREQ(connection.error().value().value(), "unable to connect to host");
    VnMessage request(1);
    EXPECT_EQ(connection.send(request), 0);  // nothing is left open
    EXPECT_EQ(connection.error().integervalue(), 3);
}

TEST(VnConnection, FramesByteForByte) {
    VnMessage request(107);
    request.user("bob");
    request.content(new VnTime(5));
    std::vector<char> bytes;
    VnError error;
    ASSERT_EQ(VnConnection::frame(request, bytes, error), 1);
    const std::string expected = frameOf(kPacked);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
    EXPECT_EQ(expected.substr(0, 9), std::string("\2\0\0\0", 4) + char(expected.size() - 9) + be32(43));

    VnMessage back;
    back.content(new VnTime(1));
    ASSERT_EQ(unframe(expected + "after", back), 1);  // bytes after the frame are not read
    ASSERT_NE(back.content(), nullptr);
    EXPECT_EQ(back.tag() * 10 + static_cast<VnTime*>(back.content())->value(), 1075);
    VnMessage bare;  // a reply without content
    ASSERT_EQ(unframe(frameOf(kVersion + intField(1, 4)), bare), 1);
    EXPECT_EQ(bare.tag(), 4);
    EXPECT_EQ(bare.content(), nullptr);
}

class VnConnectionRefusals : public TempDirTest {};

TEST_F(VnConnectionRefusals, EachWithItsLogLine) {
    const std::string body = compressed(kPacked);
    const int n = int(body.size());
    const std::string over = "ERROR: couldn't read tcp comm length: length ";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "ERROR: blank message"},
        {frame(n, 43, body, 3), "ERROR: tcp comm version doesn't match - version: 3"},
        {frame(n, 43, body, '\xff'), "ERROR: tcp comm version doesn't match - version: 255"},
        {std::string("\2\0\0\0\1", 5), "ERROR: couldn't read tcp comm length: header cut short"},
        {frame(64 * 1024 * 1024 + 1, 43, ""), over + "67108865 over the limit of 67108864"},
        {frame(n, -1, body), over + "4294967295 over the limit of 67108864"},
        {frame(0, 43, ""), "ERROR: no data in comm"},
        {frame(n, 0, body), "ERROR: no data in comm"},
        {frame(n, 43, body.substr(0, n - 1)), "ERROR: no data in comm"},
        {frame(n, 44, body), "ERROR: unable to uncompress data"},
        {frame(n, 42, body), "ERROR: unable to uncompress data"},
        {frame(n + 1, 43, body + "x"), "ERROR: unable to uncompress data"},
        {frame(8, 43, "garbage!"), "ERROR: unable to uncompress data"},
        {frame(10, 64 * 1024 * 1024, std::string(10, '\0')), "ERROR: unable to uncompress data"},
        {frameOf("ab"), "ERROR: blank message"},
        {frameOf(be32(2) + intField(1, 4)), "ERROR: blank message"},
    };
    const std::string log = at("debug.log");
    IN_CHILD({
        vn_debug_filename(log.c_str(), 0);
        std::vector<std::string> expected;
        for (const auto& c : cases) {
            VnMessage message;
            EXPECT_EQ(unframe(c.first, message), 0) << c.second;
            expected.push_back(c.second);
        }
        // The writer refuses what no reader takes.
        std::vector<char> out, large(64 * 1024 * 1024 + 1, 'x');
        VnError error;
        EXPECT_EQ(VnConnection::frame(nullptr, 0, out, error), 0);
        EXPECT_EQ(VnConnection::frame(large.data(), int(large.size()), out, error), 0);
        EXPECT_EQ(error.integervalue(), 4);
        expected.push_back("ERROR: blank message");
        expected.push_back("ERROR: unable to compress input data");
        EXPECT_EQ(logMessages(log), expected);
    });
}

namespace {

// A reply of message number 9 whose content is a list of class listType holding count elements,
// each only its field header and a one-byte payload of the wrong type: every 5 bytes make one
// default element.
std::string listOfBlanks(int listType, int count) {
    const std::string blank = std::string("\0\12\0\2", 4) + 'x';  // tag 10, char
    std::string fields = intField(1, count);
    fields.reserve(fields.size() + std::size_t(count) * blank.size());
    for (int i = 0; i < count; ++i)
        fields += blank;
    return kVersion + intField(1, 9) + strField(2, "bob") + objField(3, listType, fields);
}

long peakBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024L;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

}  // namespace

// A small frame that inflates to a list of blank elements is refused within the memory allowed
// for a read (32 bytes per byte read, plus 16 MiB, beside the inflated bytes themselves), however
// much its elements allocate when made: configurations and jobs allocate tables of their own.
// The refused reply is left empty and the log names the cause.
TEST_F(VnConnectionRefusals, AReplyPastItsBudgetWithinTheBound) {
    const std::string log = at("debug.log");
    for (const int listType : {VN_TYPE_CONFIG_LIST, VN_TYPE_JOB_LIST}) {
        IN_CHILD({
            vn_debug_filename(log.c_str(), 0);
            const std::string packedReply = listOfBlanks(listType, 400 * 1000);
            const std::string bytes = frameOf(packedReply);
            ASSERT_LT(bytes.size(), packedReply.size() / 100);
            const long before = peakBytes();
            VnMessage reply;
            reply.content(new VnTime(1));
            VnError error;
            EXPECT_EQ(VnConnection::unframe(bytes.data(), int(bytes.size()), reply, error), 0);
            const long grown = peakBytes() - before;
            EXPECT_EQ(reply.tag(), -1);
            EXPECT_EQ(reply.user().length(), 0);
            EXPECT_EQ(reply.content(), nullptr);
            EXPECT_EQ(error.integervalue(), 14);
            EXPECT_EQ(logMessages(log).back(),
                      "ERROR: can't allocate memory: the read would pass the memory allowed for it");
            const long bound = 33L * long(packedReply.size()) + 16 * 1024 * 1024;
            // Under the address sanitizer every block carries guard zones and shadow memory: about
            // 45% more here, where charging an element's own size alone would give 90% (jobs) to
            // 170% (configurations) more.
            EXPECT_LE(grown, kAddressSanitizer ? bound * 17 / 10 : bound) << "type " << listType;
        });
    }
}
