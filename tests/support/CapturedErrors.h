#ifndef VN_TESTS_SUPPORT_CAPTUREDERRORS_H
#define VN_TESTS_SUPPORT_CAPTUREDERRORS_H

#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>

// What std::cerr receives while it lives.
class CapturedErrors {
public:
    CapturedErrors() : _old(std::cerr.rdbuf(_text.rdbuf())) {}
    ~CapturedErrors() { std::cerr.rdbuf(_old); }
    CapturedErrors(const CapturedErrors&) = delete;
    CapturedErrors& operator=(const CapturedErrors&) = delete;

    std::string text() const { return _text.str(); }
    long lines() const {
        const std::string all = text();
        return std::count(all.begin(), all.end(), '\n');
    }

private:
    std::ostringstream _text;
    std::streambuf* _old;
};

#endif  // VN_TESTS_SUPPORT_CAPTUREDERRORS_H
