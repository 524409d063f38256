#ifndef VN_TESTS_SUPPORT_TESTSUPERVISOR_H
#define VN_TESTS_SUPPORT_TESTSUPERVISOR_H

// A small supervisor for tests on 127.0.0.1, and helpers for tests that run in a child
// process of their own.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/VnStringList.h"
#include "net/VnConnection.h"
#include "net/VnMessage.h"
#include "system/VnTime.h"

// Listens on an ephemeral port of 127.0.0.1 in a thread and answers each connection once,
// in the way it was told: with a VnTime (or another content) under the request's tag, or not
// at all, or with a frame that the client must refuse.
class TestSupervisor {
public:
    enum Mode {
        Answer,        // the reply carries VnTime(time)
        NoContent,     // the reply carries nothing
        OtherContent,  // the reply carries a string list
        Silent,        // reads the request and never answers
        Hangup,        // reads the request and closes the connection without answering
        BadVersion,    // the reply's frame has version 3
        Truncated,     // half the reply's frame, then the connection closes
    };

    explicit TestSupervisor(Mode mode = Answer, int time = 12345) : mode(mode), time(time) {
        listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(listener, 16) != 0 ||
            getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            std::abort();
        listenPort = ntohs(address.sin_port);
        thread = std::thread([this] { serve(); });
    }

    ~TestSupervisor() {
        stop = true;
        thread.join();
        close(listener);
        for (int fd : held)
            close(fd);
    }

    int port() const { return listenPort; }
    std::string host() const { return "127.0.0.1:" + std::to_string(listenPort); }

    // What the requests read so far carried.
    int requests() const { return count; }
    int lastTag() const { return tag; }
    std::string lastUser() const {
        std::lock_guard<std::mutex> lock(mutex);
        return user;
    }

private:
    void serve() {
        while (!stop) {
            pollfd watched{listener, POLLIN, 0};
            if (poll(&watched, 1, 20) <= 0) continue;
            const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0) answer(fd);
        }
    }

    void answer(int fd) {
        VnConnection connection(2000);
        connection.attach(fd);
        VnMessage request;
        if (!connection.receive(request)) return;
        {
            std::lock_guard<std::mutex> lock(mutex);
            user = request.user().value();
        }
        tag = request.tag();
        ++count;
        if (mode == Hangup) return;
        if (mode == Silent) {
            held.push_back(dup(fd));  // kept open, unanswered, until the supervisor ends
            return;
        }
        VnMessage reply(request.tag());
        if (mode == OtherContent) reply.content(new VnStringList());
        if (mode != NoContent && mode != OtherContent) reply.content(new VnTime(time));
        if (mode == Answer || mode == NoContent || mode == OtherContent) {
            connection.send(reply);
            return;
        }
        std::vector<char> frame;
        VnError error;
        VnConnection::frame(reply, frame, error);
        if (mode == BadVersion) frame[0] = 3;
        const std::size_t length = mode == Truncated ? frame.size() / 2 : frame.size();
        (void)!::send(fd, frame.data(), length, MSG_NOSIGNAL);
    }

    const Mode mode;
    const int time;
    int listener = -1;
    int listenPort = 0;
    std::atomic<bool> stop{false};
    std::atomic<int> count{0};
    std::atomic<int> tag{0};
    mutable std::mutex mutex;
    std::string user;
    std::vector<int> held;
    std::thread thread;
};

// The number of results that the running test has recorded so far.
inline int recordedResults() {
    return ::testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
}

// Ends a child process: status 0 when no check failed after the first `from` results, else
// the failures on standard error and status 1.
[[noreturn]] inline void endChild(int from) {
    const ::testing::TestResult* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    int failed = 0;
    for (int i = from; i < result->total_part_count(); ++i) {
        const ::testing::TestPartResult& part = result->GetTestPartResult(i);
        if (!part.failed()) continue;
        ++failed;
        std::fprintf(stderr, "%s:%d: %s\n", part.file_name() ? part.file_name() : "", part.line_number(),
                     part.message());
    }
    std::fflush(nullptr);
    std::_Exit(failed ? 1 : 0);
}

// Runs body in a child process (the clock offset and the forced supervisor are
// process-wide); the test fails when a check in the child failed, showing the child's report.
template <class Body>
[[noreturn]] void runInChild(Body body) {
    const int from = recordedResults();
    body();
    endChild(from);
}
#define IN_CHILD(...) EXPECT_EXIT(runInChild([&]() __VA_ARGS__), ::testing::ExitedWithCode(0), "")

// A cache file of the shared temporary directory that a test writes: held under a lock that
// every test holding one of them takes, and put back as it was when the test ends.
class SavedCacheFile {
public:
    explicit SavedCacheFile(const std::string& path) : path(path) {
        if (holders()++ == 0) {
            lock() = open("/tmp/vn_test_cache.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (lock() >= 0) flock(lock(), LOCK_EX);
        }
        std::ifstream in(path, std::ios::binary);
        existed = in.good();
        saved.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        unlink(path.c_str());
    }
    ~SavedCacheFile() {
        unlink(path.c_str());
        if (existed) {
            std::ofstream(path, std::ios::binary) << saved;
            chmod(path.c_str(), 0600);
        }
        if (--holders() == 0 && lock() >= 0) close(lock());
    }
    SavedCacheFile(const SavedCacheFile&) = delete;
    SavedCacheFile& operator=(const SavedCacheFile&) = delete;

    std::string contents() const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    const std::string path;

private:
    // One lock for all the files that this process holds.
    static int& holders() {
        static int count = 0;
        return count;
    }
    static int& lock() {
        static int fd = -1;
        return fd;
    }

    bool existed = false;
    std::string saved;
};

// The messages of the debug log file's lines, without the date and host name before " : ".
inline std::vector<std::string> logMessages(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> messages;
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t mark = line.find("] ");
        const std::size_t at = mark == std::string::npos ? mark : line.find(" : ", mark);
        messages.push_back(at == std::string::npos ? line : line.substr(at + 3));
    }
    return messages;
}

#endif  // VN_TESTS_SUPPORT_TESTSUPERVISOR_H
