#ifndef VN_SYSTEM_VNWARNINGS_H
#define VN_SYSTEM_VNWARNINGS_H

#include <cstdint>
#include <string>

#include "base/VnString.h"

// The warnings of one reading (a configuration load with its expansions), written to std::cerr
// a line each. At most kMaxWarnings lines are written, and the one that ends the reading; the
// warnings past them are counted, and finish writes one line that tells how many were left out:
//
//   WARNING: 8000 more warnings left out.
//
// Texts that a warning names are quoted through quote, so that every line stays short however
// long the text it is about: what one reading writes is bounded whatever it reads.
class VnWarnings {
public:
    static constexpr int kMaxWarnings = 100;
    static constexpr int kMaxQuoted = 200;

    VnWarnings() = default;
    VnWarnings(const VnWarnings&) = delete;
    VnWarnings& operator=(const VnWarnings&) = delete;

    // Writes line and a line end while fewer than kMaxWarnings lines were written; counts it
    // as left out otherwise.
    void warn(const std::string& line);
    // Writes line and a line end whatever was written before: for the one warning that ends a
    // reading, which must not be among those left out. At most one per reading.
    void last(const std::string& line);
    // Writes the line that counts the warnings left out, when there are any, and starts the
    // count of left-out warnings again.
    void finish();

    int written() const { return _written; }
    // True once kMaxWarnings lines were written: a warning now is only counted, so that its
    // line need not be made.
    bool full() const { return _written >= kMaxWarnings; }
    std::int64_t leftOut() const { return _leftOut; }

    // text, or its first kMaxQuoted bytes followed by "..." when it is longer.
    static std::string quote(const VnString& text);

private:
    int _written = 0;
    std::int64_t _leftOut = 0;
};

#endif  // VN_SYSTEM_VNWARNINGS_H
