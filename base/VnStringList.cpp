#include "base/VnStringList.h"

#include "base/VnTypes.h"

VnStringList::VnStringList() = default;

VnStringList::~VnStringList() = default;

int VnStringList::type() {
    return VN_TYPE_STRING_LIST;
}

VnString VnStringList::typeXML() {
    return VnString(VN_XML_STRING_LIST);
}

VnString VnStringList::join(const VnString& separator) const {
    VnString joined;
    for (int i = 0; i < length(); ++i) {
        if (i > 0) joined += separator;
        joined += get(i);
    }
    return joined;
}

void VnStringList::sort() {
    sort(vn_string_sort_func);
}

void VnStringList::sort(int (*compare)(VnString*, VnString*)) {
    VnList<VnString>::sort(compare);
}

int vn_string_sort_func(VnString* a, VnString* b) {
    static const VnString empty;
    const VnString& left = a ? *a : empty;
    const VnString& right = b ? *b : empty;
    if (left > right) return 1;
    if (left < right) return -1;
    return 0;
}
