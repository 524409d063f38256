#ifndef VN_TESTING_SCRATCHDIR_H
#define VN_TESTING_SCRATCHDIR_H

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

// A fresh directory under the system's temporary directory for a fuzz target's files, made once
// per process and removed with all it holds when the process ends.
class ScratchDir {
public:
    ScratchDir() {
        std::string name = (std::filesystem::temp_directory_path() / "vnfuzzXXXXXX").string();
        if (!mkdtemp(&name[0])) __builtin_trap();
        root = name;
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string root;
};

#endif  // VN_TESTING_SCRATCHDIR_H
