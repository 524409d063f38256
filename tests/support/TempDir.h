#ifndef VN_TESTS_SUPPORT_TEMPDIR_H
#define VN_TESTS_SUPPORT_TEMPDIR_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A fixture that works in a fresh directory under the system's temporary
// directory, removed with everything in it when the test ends.
class TempDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = (std::filesystem::temp_directory_path() / "vntestXXXXXX").string();
        ASSERT_NE(mkdtemp(name.data()), nullptr);
        root = name;
    }
    void TearDown() override { std::filesystem::remove_all(root); }

    // The path of name inside the directory.
    std::string at(const std::string& name) const { return root + "/" + name; }

    static void spit(const std::string& path, const std::string& data) {
        std::ofstream(path, std::ios::binary) << data;
    }
    static std::string slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::string root;
};

#endif  // VN_TESTS_SUPPORT_TEMPDIR_H
