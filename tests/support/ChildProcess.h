#ifndef VN_TESTS_SUPPORT_CHILDPROCESS_H
#define VN_TESTS_SUPPORT_CHILDPROCESS_H

// Helpers for tests that run in a child process of their own because they change
// process-wide state, and for the per-user cache files that such tests write.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

#endif  // VN_TESTS_SUPPORT_CHILDPROCESS_H
