#ifndef VN_TESTING_TESTSUPERVISOR_H
#define VN_TESTING_TESTSUPERVISOR_H

// A small supervisor for tests and benchmarks on 127.0.0.1.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
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

#endif  // VN_TESTING_TESTSUPERVISOR_H
