#ifndef VN_TESTS_SUPPORT_BYTESREAD_H
#define VN_TESTS_SUPPORT_BYTESREAD_H

// The bytes that the process has read from files so far, as the system counts them ("rchar" of
// /proc/self/io: every byte that a read call passed in). Reading the count itself adds the few
// hundred bytes of that file, so tests compare with some room; -1 where it cannot be read.

#include <fstream>
#include <string>

inline long long bytesReadSoFar() {
    std::ifstream in("/proc/self/io");
    std::string key;
    long long value = -1;
    while (in >> key >> value) {
        if (key == "rchar:") return value;
    }
    return -1;
}

#endif  // VN_TESTS_SUPPORT_BYTESREAD_H
