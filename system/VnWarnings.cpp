#include "system/VnWarnings.h"

#include <iostream>

void VnWarnings::warn(const std::string& line) {
    if (_written >= kMaxWarnings) {
        ++_leftOut;
        return;
    }
    ++_written;
    std::cerr << line << std::endl;
}

void VnWarnings::last(const std::string& line) {
    std::cerr << line << std::endl;
}

void VnWarnings::finish() {
    if (_leftOut == 0) return;
    std::cerr << "WARNING: " << _leftOut << " more warnings left out." << std::endl;
    _leftOut = 0;
}

std::string VnWarnings::quote(const VnString& text) {
    if (text.length() <= kMaxQuoted) return std::string(text.value(), text.length());
    std::string cut(text.value(), kMaxQuoted);
    cut += "...";
    return cut;
}
