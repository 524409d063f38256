#define PCRE2_CODE_UNIT_WIDTH 8

#include "expression/VnRegEx.h"

#include <pcre2.h>

#include <cstdint>
#include <memory>
#include <new>

namespace {

// The caseless bit of the options field.
constexpr int kCaseless = 1;

// Room for the whole match alone, and for the whole match and 33 groups.
constexpr std::uint32_t kPlainPairs = 2;
constexpr std::uint32_t kCapturePairs = 34;

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context* context) const { pcre2_match_context_free(context); }
};
using Code = std::unique_ptr<pcre2_code, CodeFree>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using MatchContext = std::unique_ptr<pcre2_match_context, MatchContextFree>;

VnString errorMessage(int code) {
    PCRE2_UCHAR buffer[256];
    const int n = pcre2_get_error_message(code, buffer, sizeof buffer);
    if (n < 0) return VnString("unknown regular expression error");
    return VnString(reinterpret_cast<const char*>(buffer), n);
}

// Bounds of one match, so that a hostile pattern or text gives up instead of taking the
// machine: 64 MiB of backtracking memory and ten million steps. The depth limit stays at the
// library's default, which the heap limit bounds in turn.
constexpr std::uint32_t kHeapLimitKiB = 64 * 1024;
constexpr std::uint32_t kMatchLimit = 10000000;

MatchContext boundedContext() {
    MatchContext context(pcre2_match_context_create(nullptr));
    if (!context) throw std::bad_alloc();
    pcre2_set_heap_limit(context.get(), kHeapLimitKiB);
    pcre2_set_match_limit(context.get(), kMatchLimit);
    return context;
}

// The error text of a match that failed for another reason than finding no match.
VnString matchError(int rc) {
    switch (rc) {
        case PCRE2_ERROR_MATCHLIMIT:
            return VnString("match limit exceeded");
        case PCRE2_ERROR_HEAPLIMIT:
            return VnString("heap limit exceeded");
        case PCRE2_ERROR_DEPTHLIMIT:
            return VnString("depth limit exceeded");
        default:
            return errorMessage(rc);
    }
}

void pushCapture(VnStringList& captures, const char* start, PCRE2_SIZE length) {
    std::unique_ptr<VnString> capture(new VnString(start, static_cast<int>(length)));
    if (!captures.push(capture.get())) throw std::bad_alloc();
    capture.release();
}

}  // namespace

VnRegEx::VnRegEx(const VnString& pattern) : _pattern(pattern), _options(0) {}

VnRegEx::~VnRegEx() = default;

const VnString& VnRegEx::error() const {
    return _error;
}

void VnRegEx::caseless(unsigned char flag) {
    if (flag)
        _options |= kCaseless;
    else
        _options &= ~kCaseless;
}

int VnRegEx::match(const VnString& text) {
    return _match(text, nullptr);
}

int VnRegEx::match(const VnString& text, VnStringList& captures) {
    return _match(text, &captures);
}

// Compiles, matches once and frees both the compiled pattern and the match data on every
// path. A result of 0 means the groups did not fit the match data; it still counts as a match.
int VnRegEx::_match(const VnString& text, VnStringList* captures) {
    _error = "";
    int code = 0;
    PCRE2_SIZE offset = 0;
    const std::uint32_t options = (_options & kCaseless) ? PCRE2_CASELESS : 0;
    Code compiled(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(_pattern.value()), PCRE2_ZERO_TERMINATED,
                                options, &code, &offset, nullptr));
    if (!compiled) {
        _error = errorMessage(code);
        return 0;
    }

    MatchData data(pcre2_match_data_create(captures ? kCapturePairs : kPlainPairs, nullptr));
    if (!data) throw std::bad_alloc();
    MatchContext context = boundedContext();
    const char* bytes = text.value();
    const int rc = pcre2_match(compiled.get(), reinterpret_cast<PCRE2_SPTR>(bytes),
                               static_cast<PCRE2_SIZE>(text.length()), 0, 0, data.get(), context.get());
    if (rc < 0 && rc != PCRE2_ERROR_NOMATCH) _error = matchError(rc);
    if (captures) {
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        for (int g = 1; g < rc; ++g) {
            const PCRE2_SIZE start = ovector[2 * g];
            const PCRE2_SIZE end = ovector[2 * g + 1];
            const bool set = start != PCRE2_UNSET && end != PCRE2_UNSET && start <= end;
            pushCapture(*captures, bytes + (set ? start : 0), set ? end - start : 0);
        }
    }
    return rc >= 0 ? 1 : 0;
}
