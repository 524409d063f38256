#ifndef VN_BASE_VNSTRINGLIST_H
#define VN_BASE_VNSTRINGLIST_H

#include "base/VnList.h"
#include "base/VnString.h"

// The packable list of strings (class 55, "string_list"). It owns its strings.
class VnStringList : public VnList<VnString> {
public:
    VnStringList();
    VnStringList(VnStringList&& other) noexcept = default;
    ~VnStringList() override;
    VnStringList& operator=(const VnStringList& other) = default;
    VnStringList& operator=(VnStringList&& other) noexcept = default;

    int type() override;
    VnString typeXML() override;

    // The elements in order with separator between each two, appended with +=, so empty
    // elements add nothing. An empty list gives an undefined string.
    VnString join(const VnString& separator) const;

    // Sorts with vn_string_sort_func: empty strings first, then strcmp order.
    void sort();
    // Sorts with compare: positive when the first argument goes after the second.
    void sort(int (*compare)(VnString*, VnString*));
};

// 1 when a is greater than b, -1 when it is less, else 0. A null pointer ranks as an empty
// string.
int vn_string_sort_func(VnString* a, VnString* b);

#endif
