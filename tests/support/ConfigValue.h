#ifndef VN_TESTS_SUPPORT_CONFIGVALUE_H
#define VN_TESTS_SUPPORT_CONFIGVALUE_H

#include <string>

#include "system/VnConfigFile.h"

// The value of key in the section of file, as text; "none" when there is no such section.
inline std::string value(const VnConfigFile& file, const std::string& section, const std::string& key) {
    const VnConfig* config = file.config(section.c_str());
    return config ? std::string(config->option(key.c_str()).value()) : "none";
}

#endif  // VN_TESTS_SUPPORT_CONFIGVALUE_H
