#ifndef VN_TESTING_PEAKMEMORY_H
#define VN_TESTING_PEAKMEMORY_H

// Memory bounds measured in a child process: how far the peak resident memory of a forked
// child rises while it runs a piece of code.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

// The peak resident memory of the calling process, in KiB.
inline long peakMemoryKb() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Runs body in a forked child and answers by how many KiB the child's peak resident memory
// rose above what the child held when it started; -1 when the child did not end normally.
template <class Body>
long childPeakGrowthKb(Body body) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    const pid_t pid = fork();
    if (pid < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return -1;
    }
    if (pid == 0) {
        close(pipeFds[0]);
        const long before = peakMemoryKb();
        body();
        const long grown = peakMemoryKb() - before;
        const bool written = write(pipeFds[1], &grown, sizeof grown) == static_cast<ssize_t>(sizeof grown);
        std::_Exit(written ? 0 : 1);
    }
    close(pipeFds[1]);
    long grown = -1;
    if (read(pipeFds[0], &grown, sizeof grown) != static_cast<ssize_t>(sizeof grown)) grown = -1;
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? grown : -1;
}

#endif  // VN_TESTING_PEAKMEMORY_H
