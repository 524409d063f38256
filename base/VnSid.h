#ifndef VN_BASE_VNSID_H
#define VN_BASE_VNSID_H

#include <climits>

// The remainder of value divided by n, truncated toward zero so that it takes the sign of
// value: the slot of an id among n. It answers 0 where the division has no result (n of 0)
// or would trap (n of -1, whose remainder is 0 for every value).
inline int _vn_sid(int value, int n) {
    if (n == 0 || n == -1) return 0;
    return value % n;
}

#endif  // VN_BASE_VNSID_H
