#ifndef VN_JOB_VNQUERY_H
#define VN_JOB_VNQUERY_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "job/VnField.h"
#include "job/VnFilter.h"

// What a request is about: the filters that select the records and the names of the
// optional parts that the answer is to carry.
class VnQuery : public VnPack {
public:
    VnQuery();
    VnQuery(const VnQuery& other);
    ~VnQuery() override;

    // Member-wise: copies of the fields, then of the filters.
    VnQuery& operator=(const VnQuery& other) = default;
    void copy(const VnQuery& other);

    // Each list owns the elements appended to it.
    VnFilterList& filters() { return _filters; }
    const VnFilterList& filters() const { return _filters; }
    VnFieldList& fields() { return _fields; }
    const VnFieldList& fields() const { return _fields; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(2, "field_list", _fields);
        field(1, "filter_list", _filters);
    }

    VnFieldList _fields;
    VnFilterList _filters;
};

#endif  // VN_JOB_VNQUERY_H
