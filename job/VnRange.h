#ifndef VN_JOB_VNRANGE_H
#define VN_JOB_VNRANGE_H

#include <cstdint>
#include <vector>

#include "base/VnBase.h"
#include "base/VnString.h"
#include "base/VnStringList.h"

// A list of frame numbers read from range text, with its compact text form, chunks, orders and
// the expansion of name patterns.
//
// Range text is a comma list of items, blanks (space, tab, line feed) allowed between parts:
//
//   7          the value 7                      1-5        1, 2, 3, 4, 5 (5-1 counts down)
//   1-10x3     1, 4, 7, 10: every third value   1-6X2      2, 4, 6: all but every second
//
// Reading stops quietly at the first thing that does not fit, keeping the values read before
// it; an item whose end or step is missing adds nothing. Digits accumulate in 32 unsigned bits
// and wrap; counting stops as soon as the next value would pass the end. One parse adds at most
// kMaxValues values and stops reading there.
//
// The padding is the digit count of the text's first number (at most kMaxPadding); expanded
// patterns and the start of each run in value() are zero-padded to it.
class VnRange : public VnBase {
public:
    static constexpr int kMaxValues = 10000000;
    static constexpr int kMaxPadding = 32;
    // Most memory that the strings one patternsplit call appends may take, in bytes, as
    // patternCost counts it.
    static constexpr std::int64_t kMaxPatternBytes = 512LL * 1024 * 1024;

    VnRange();
    // No values, then parse(text).
    explicit VnRange(const VnString& text);
    VnRange(const VnRange&) = delete;
    VnRange& operator=(const VnRange&) = delete;
    ~VnRange() override;

    int type() override;

    // Appends the values of text to those held and sets the padding; answers 0.
    int parse(const VnString& text);
    // 1 when text holds only digits, "x", "X", "-" and "," and does not begin with "x", "X" or
    // ","; the empty text counts. Else 0.
    static int isrange(const VnString& text);

    void add(int value);
    // Drops every value; the padding stays.
    void clear();
    int length() const;
    int padding() const;
    // The value at i; 0 outside the list.
    int get(int i) const;
    // 1 when some value equals value, else 0.
    int has(int value) const;

    // Ascending, duplicates kept.
    void sort();
    void reverse();
    // Bisection order of the current order (four values or more): the first and the last, then
    // the middles of ever smaller halves, breadth first: 1..9 gives 1, 9, 5, 3, 7, 2, 4, 6, 8.
    void binary();

    // Sorts and drops duplicates, then answers the compact text: runs of three or more equally
    // spaced values as "start-end" with "x" and the step when it exceeds 1 (the start padded),
    // other values alone, all joined by ",": 1, 2, 3, 4, 6, 8, 10 gives "1-4,6-10x2".
    VnString value();
    // Sorts and drops duplicates, then appends one range text per chunk of at most n values,
    // cut from the runs; values outside runs are chunks of their own. n below 1 appends nothing.
    void chunk(int n, VnStringList& out);
    // chunk with the size that cuts the values (duplicates counted) into that many parts, rounded
    // up. parts below 1 appends nothing.
    void partition(int parts, VnStringList& out);

    // Appends one string per value. Plain range text gives the values in decimal. Other text
    // is split at the commas outside brackets and each item's first bracket group expands:
    // "img[1-3].tif" gives img1.tif, img2.tif, img3.tif, each number padded to the group's
    // padding; an item without a group is appended as it stands. The values are ordered by
    // order: 1 sorted then bisection order, 2 sorted, 3 sorted then reversed, 4 bisection
    // order, 5 reversed; any other code keeps the order read. Sorting keeps duplicates.
    // Appends at most kMaxValues strings, which take at most kMaxPatternBytes bytes of memory;
    // expansion stops at the first string that would pass either. Memory that runs out throws
    // std::bad_alloc; the strings appended before stay.
    static void patternsplit(int order, const VnString& text, VnStringList& out);
    // The same with the limits given: at most maxStrings strings, maxBytes bytes of memory.
    // Answers false when a limit left values of the text out, true when every one was appended.
    static bool patternsplit(int order, const VnString& text, VnStringList& out, int maxStrings,
                             std::int64_t maxBytes);
    // The bytes of memory that patternsplit counts for one string of length bytes of text: the
    // string object, what the allocator adds to it, three slots in the output list (which
    // doubles as it grows, the old slots alive while the new ones fill) and, for a text too long
    // to be kept inside the object, the heap buffer that a copy of it takes (four times the
    // text and its NUL) and what the allocator adds to that.
    static std::int64_t patternCost(int length);
    // Reads the first item of range text: all three become 1; then first is read, and only when
    // it has digits: last becomes first, and a dash and a number set last, then "x" or "X" and a
    // number set step, taken as written. A number that meets the end of the text leaves its
    // target as it is; one that meets no digit stores 0 and ends the reading.
    static void patternsplit(const VnString& text, int& first, int& last, int& step);

private:
    // Where patternsplit appends, with what its limits leave.
    class Output;

    // Appends the expansions of one comma item of a pattern; false when a limit was reached.
    static bool _expandItem(int order, const VnString& item, Output& output);
    // parse adding at most limit values; false when the limit left values out.
    bool _parse(const VnString& text, int limit);
    // Sorts and drops duplicate values.
    void _unique();
    // Puts the values in the order of an order code of patternsplit.
    void _arrange(int order);

    std::vector<int> _values;
    int _padding;
};

#endif  // VN_JOB_VNRANGE_H
