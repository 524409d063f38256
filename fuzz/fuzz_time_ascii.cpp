// Reads fuzzed text as a date line and cuts it into date-line tokens. The tokens hold no
// separator byte, "," and ":" stand alone, and the tokens joined give the text without its
// separators. A line that was read prints as a date line that reads back to the same value
// (the fixed time zone of the process has no daylight-saving time).

#include <stdlib.h>
#include <time.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "system/VnTime.h"
#include "testing/TestRecords.h"

namespace {

bool isSeparator(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void checkTokens(const std::string& raw) {
    VnStringList tokens;
    vn_time_tokenize(VnString(raw.data(), static_cast<int>(raw.size())), tokens);
    std::string joined;
    for (int i = 0; i < tokens.length(); ++i) {
        const std::string token = str(*tokens.get(i));
        check(!token.empty());
        for (char c : token)
            check(!isSeparator(c) && ((c != ',' && c != ':') || token.size() == 1));
        joined += token;
    }
    std::string kept;
    for (char c : raw)
        if (!isSeparator(c)) kept += c;
    check(joined == kept);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("TZ", "EST5", 1);
    tzset();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string raw(reinterpret_cast<const char*>(data), size);
    checkTokens(raw);
    VnTime time(0);
    time.ascii(VnString(raw.data(), static_cast<int>(raw.size())));
    if (time.value() == 0) return 0;
    const VnString line = time.ascii();
    VnTime again(0);
    again.ascii(line);
    check(again.value() == time.value());
    time.day();
    time.hour();
    time.counter();
    return 0;
}
