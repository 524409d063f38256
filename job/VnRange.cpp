#include "job/VnRange.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <new>
#include <utility>

#include "base/VnTypes.h"
#include "expression/VnExpression.h"

namespace {

// The int whose 32-bit pattern is v, without relying on how a cast wraps.
int wrapToInt(std::uint32_t v) {
    return v <= static_cast<std::uint32_t>(INT_MAX) ? static_cast<int>(v) : -static_cast<int>(~v) - 1;
}

void appendNumber(VnString& out, std::int64_t v) {
    char text[24];
    const int n = std::snprintf(text, sizeof text, "%lld", static_cast<long long>(v));
    out.append(text, n);
}

bool isBlank(char c) {
    return c == ' ' || c == '\n' || c == '\t';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads range text from its start. Every reader first skips blanks.
class RangeReader {
public:
    explicit RangeReader(const VnString& text) : _text(text.value()), _length(text.length()) {}

    bool atEnd() {
        while (_at < _length && isBlank(_text[_at]))
            ++_at;
        return _at >= _length;
    }
    // Passes c when it comes next.
    bool take(char c) {
        if (atEnd() || _text[_at] != c) return false;
        ++_at;
        return true;
    }
    // Reads an optional "-" and the digits after it into value, which is 0 without digits.
    // Answers the number of digits.
    int number(int& value) {
        atEnd();
        const bool negative = _at < _length && _text[_at] == '-';
        if (negative) ++_at;
        std::uint32_t v = 0;
        int digits = 0;
        for (; _at < _length && isDigit(_text[_at]); ++_at, ++digits)
            v = v * 10u + static_cast<std::uint32_t>(_text[_at] - '0');
        value = wrapToInt(negative ? 0u - v : v);
        return digits;
    }

private:
    const char* _text;
    int _length;
    int _at = 0;
};

// Appends to values, at most limit of them. Counting is done in 64 bits, so no end or step
// near the limits of int makes it overflow; each walk stops before passing its end.
class Filler {
public:
    Filler(std::vector<int>& values, int limit) : _values(values), _limit(limit) {}

    // False when the limit is reached: the value is not added and reading stops.
    bool add(std::int64_t v) {
        if (_added >= _limit) {
            _full = true;
            return false;
        }
        _values.push_back(static_cast<int>(v));
        ++_added;
        return true;
    }
    // a, a±s, a±2s, ... up to b, downwards when a > b.
    bool every(int a, int b, std::int64_t s) {
        const std::int64_t delta = a <= b ? s : -s;
        for (std::int64_t v = a; a <= b ? v <= b : v >= b; v += delta) {
            if (!add(v)) return false;
        }
        return true;
    }
    // Every integer from a to b except those whose distance from a is a multiple of s. With
    // s of 2 or more at most every other integer is skipped, so the walk stays proportional to
    // the values added.
    bool except(int a, int b, std::int64_t s) {
        if (s == 1) return true;  // every distance is a multiple of 1
        const std::int64_t delta = a <= b ? 1 : -1;
        std::int64_t distance = 1;
        for (std::int64_t v = a + delta; a <= b ? v <= b : v >= b; v += delta, ++distance) {
            if (distance % s != 0 && !add(v)) return false;
        }
        return true;
    }
    // True once a value was refused for the limit.
    bool full() const { return _full; }

private:
    std::vector<int>& _values;
    int _limit;
    int _added = 0;
    bool _full = false;
};

// One item whose first number a was read; false when reading stops inside it.
bool readItem(RangeReader& reader, int a, Filler& fill) {
    if (!reader.take('-')) return fill.add(a);
    int b = 0;
    if (reader.number(b) == 0) return false;
    const bool every = reader.take('x');
    if (!every && !reader.take('X')) return fill.every(a, b, 1);
    int written = 0;
    if (reader.number(written) == 0) return false;
    const std::int64_t step = written == 0 ? 1 : std::abs(static_cast<std::int64_t>(written));
    return every ? fill.every(a, b, step) : fill.except(a, b, step);
}

// Calls visit(first, last, step) for each run of the ascending, duplicate-free values a and
// visit(v, v, 0) for each value outside runs, in order. A run starts at k when a[k], a[k+1],
// a[k+2] are equally spaced and k does not end an earlier run (a later start overrides the
// marks of k+1 and k+2, so runs join); a run extends to the next index marked as an end.
template <class Visit>
void eachStretch(const std::vector<int>& a, Visit visit) {
    enum : unsigned char { kNone, kStart, kInner, kEnd };
    const std::size_t n = a.size();
    std::vector<unsigned char> mark(n, kNone);
    const auto gap = [&a](std::size_t k) { return std::int64_t(a[k + 1]) - a[k]; };
    for (std::size_t k = 0; k + 2 < n; ++k) {
        if (gap(k) == gap(k + 1) && mark[k] != kEnd) {
            mark[k] = kStart;
            mark[k + 1] = kInner;
            mark[k + 2] = kEnd;
        }
    }
    for (std::size_t i = 0; i < n;) {
        std::size_t end = i;
        if (mark[i] == kStart) {
            while (end + 1 < n && mark[end] != kEnd)
                ++end;
        }
        if (end == i) {
            visit(a[i], a[i], 0);
        } else {
            visit(a[i], a[end], std::int64_t(a[end]) - a[end - 1]);
        }
        i = end + 1;
    }
}

// The text of one chunk: its first value, then "-" and the last when they differ, then "x"
// and the step when it exceeds 1.
void pushChunk(VnStringList& out, std::int64_t first, std::int64_t last, std::int64_t step) {
    std::unique_ptr<VnString> text(new VnString(""));
    appendNumber(*text, first);
    if (first != last) {
        *text += '-';
        appendNumber(*text, last);
        if (step > 1) {
            *text += 'x';
            appendNumber(*text, step);
        }
    }
    if (out.push(text.get())) text.release();
}

// Cuts the run first..last of the given step into chunks of n values each; the last chunk
// takes what remains.
void cutRun(int first, int last, std::int64_t step, int n, VnStringList& out) {
    std::int64_t begin = first;
    int count = 0;
    for (std::int64_t v = first; v < last; v += step) {
        if (++count == n) {
            pushChunk(out, begin, v, step);
            count = 0;
            begin = v + step;
        }
    }
    pushChunk(out, begin, last, step);
}

}  // namespace

class VnRange::Output {
public:
    Output(VnStringList& out, int maxStrings, std::int64_t maxBytes)
        : _out(out), _maxStrings(maxStrings), _maxBytes(maxBytes) {}

    // How many more strings of at least length bytes the limits leave room for.
    int room(int length) const {
        const std::int64_t fit = (_maxBytes - _bytes) / patternCost(length);
        return static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(_maxStrings - _count, fit)));
    }
    // False, appending nothing, when text would pass a limit. A list that cannot grow throws
    // std::bad_alloc, as the copy does, so that no string is dropped unseen.
    bool add(const VnString& text) {
        const std::int64_t cost = patternCost(text.length());
        if (_count >= _maxStrings || cost > _maxBytes - _bytes) return false;
        std::unique_ptr<VnString> copy(new VnString(text));
        if (!_out.push(copy.get())) throw std::bad_alloc();
        copy.release();
        ++_count;
        _bytes += cost;
        return true;
    }

private:
    VnStringList& _out;
    int _maxStrings;
    std::int64_t _maxBytes;
    int _count = 0;
    std::int64_t _bytes = 0;
};

VnRange::VnRange() : _padding(0) {}

VnRange::VnRange(const VnString& text) : VnRange() {
    parse(text);
}

VnRange::~VnRange() {
    clear();
}

int VnRange::type() {
    return VN_TYPE_RANGE;
}

int VnRange::parse(const VnString& text) {
    _parse(text, kMaxValues);
    return 0;
}

// The padding comes from the number read at the very start, even one without digits.
bool VnRange::_parse(const VnString& text, int limit) {
    RangeReader reader(text);
    Filler fill(_values, limit);
    int a = 0;
    const int digits = reader.number(a);
    _padding = std::min(digits, kMaxPadding);
    for (bool more = digits > 0; more; more = reader.take(',') && reader.number(a) > 0) {
        if (!readItem(reader, a, fill)) break;
    }
    return !fill.full();
}

int VnRange::isrange(const VnString& text) {
    const char* s = text.value();
    const int n = text.length();
    if (n > 0 && (s[0] == 'x' || s[0] == 'X' || s[0] == ',')) return 0;
    for (int i = 0; i < n; ++i) {
        const char c = s[i];
        if (!isDigit(c) && c != 'x' && c != 'X' && c != '-' && c != ',') return 0;
    }
    return 1;
}

void VnRange::add(int value) {
    if (_values.size() < static_cast<std::size_t>(INT_MAX)) _values.push_back(value);
}

void VnRange::clear() {
    std::vector<int>().swap(_values);
}

int VnRange::length() const {
    return static_cast<int>(_values.size());
}

int VnRange::padding() const {
    return _padding;
}

int VnRange::get(int i) const {
    return i >= 0 && i < length() ? _values[static_cast<std::size_t>(i)] : 0;
}

int VnRange::has(int value) const {
    return std::find(_values.begin(), _values.end(), value) != _values.end() ? 1 : 0;
}

void VnRange::sort() {
    std::sort(_values.begin(), _values.end());
}

void VnRange::reverse() {
    std::reverse(_values.begin(), _values.end());
}

// The intervals waiting in the queue are those whose middle is still to come; intervals of
// two indices or fewer have none and are never queued.
void VnRange::binary() {
    const int n = length();
    if (n < 4) return;
    std::vector<int> order;
    order.reserve(_values.size());
    order.push_back(_values.front());
    order.push_back(_values.back());
    std::deque<std::pair<int, int>> queue{{0, n - 1}};
    while (!queue.empty()) {
        const auto [lo, hi] = queue.front();
        queue.pop_front();
        const int mid = lo + (hi - lo) / 2;
        order.push_back(_values[static_cast<std::size_t>(mid)]);
        if (mid - lo > 1) queue.emplace_back(lo, mid);
        if (hi - mid > 1) queue.emplace_back(mid, hi);
    }
    _values.swap(order);
}

void VnRange::_unique() {
    sort();
    _values.erase(std::unique(_values.begin(), _values.end()), _values.end());
}

void VnRange::_arrange(int order) {
    if (order >= 1 && order <= 3) sort();
    if (order == 1 || order == 4) binary();
    if (order == 3 || order == 5) reverse();
}

VnString VnRange::value() {
    VnString out("");
    _unique();
    bool first = true;
    eachStretch(_values, [&](int lo, int hi, std::int64_t step) {
        if (!first) out += ',';
        first = false;
        if (lo == hi) {
            out += lo;
            return;
        }
        out.integervalue(lo, _padding);
        out += '-';
        out += hi;
        if (step > 1) {
            out += 'x';
            appendNumber(out, step);
        }
    });
    return out;
}

void VnRange::chunk(int n, VnStringList& out) {
    if (n < 1 || _values.empty()) return;
    _unique();
    if (_values.size() == 2 && n >= 2) {
        pushChunk(out, _values[0], _values[1], std::int64_t(_values[1]) - _values[0]);
        return;
    }
    eachStretch(_values, [&](int lo, int hi, std::int64_t step) {
        if (lo == hi) {
            pushChunk(out, lo, lo, 0);
        } else {
            cutRun(lo, hi, step, n, out);
        }
    });
}

void VnRange::partition(int parts, VnStringList& out) {
    if (parts < 1) return;
    const std::int64_t size = (std::int64_t(length()) + parts - 1) / parts;
    chunk(static_cast<int>(size), out);
}

void VnRange::patternsplit(int order, const VnString& text, VnStringList& out) {
    patternsplit(order, text, out, kMaxValues, kMaxPatternBytes);
}

std::int64_t VnRange::patternCost(int length) {
    return std::int64_t(sizeof(VnString)) + VnString::kBlockOverhead + 3 * std::int64_t(sizeof(VnString*)) +
           VnString::heapCost(length);
}

bool VnRange::patternsplit(int order, const VnString& text, VnStringList& out, int maxStrings,
                           std::int64_t maxBytes) {
    Output output(out, maxStrings, maxBytes);
    if (isrange(text)) {
        VnRange range;
        const bool whole = range._parse(text, output.room(1));
        range._arrange(order);
        for (int v : range._values) {
            if (!output.add(VnString(v))) return false;
        }
        return whole;
    }
    // One item at a time: a text of many items or tokens holds no list of them.
    bool whole = true;
    VnExpression::eachcomma(text,
                            [&](const VnString& item) { return whole = _expandItem(order, item, output); });
    return whole;
}

// The tokens before the first "[" and those after the token that follows the range token
// surround each value; the "[" and that token are left out.
bool VnRange::_expandItem(int order, const VnString& item, Output& output) {
    VnString before(""), rangeText, after("");
    int index = 0, open = -1;  // the number of tokens read, and the index of the first "["
    VnExpression::eachrangetoken(item, [&](const VnString& token) {
        if (open < 0 && token == VnString("[")) {
            open = index;
        } else if (open < 0) {
            before += token;
        } else if (index == open + 1) {
            rangeText = token;
        } else if (index >= open + 3) {
            after += token;
        }
        ++index;
        return true;
    });
    if (open < 0 || open + 1 >= index) return output.add(item);

    VnRange range;  // reads no more values than strings of at least one digit fit
    const bool whole = range._parse(rangeText, output.room(before.length() + 1 + after.length()));
    range._arrange(order);
    VnString text;  // one buffer for every string made, which add copies
    for (int v : range._values) {
        text = before;
        text.integervalue(v, range.padding());
        text += after;
        if (!output.add(text)) return false;
    }
    return whole;
}

// Each number is read only when the one before it had digits.
void VnRange::patternsplit(const VnString& text, int& first, int& last, int& step) {
    first = last = step = 1;
    RangeReader reader(text);
    const auto readInto = [&reader](int& target) {
        if (reader.atEnd()) return false;
        return reader.number(target) > 0;
    };
    if (!readInto(first)) return;
    last = first;
    if (!reader.take('-') || !readInto(last)) return;
    if (reader.take('x') || reader.take('X')) readInto(step);
}
