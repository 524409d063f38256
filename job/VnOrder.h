#ifndef VN_JOB_VNORDER_H
#define VN_JOB_VNORDER_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "job/VnFilter.h"

// A filter list with a lock text. The receiver gives the lock its meaning.
class VnOrder : public VnPack {
public:
    VnOrder();
    VnOrder(const VnOrder& other);
    ~VnOrder() override;

    // Member-wise: a copy of the filters, then the lock.
    VnOrder& operator=(const VnOrder& other) = default;
    void copy(const VnOrder& other);

    // The list owns the filters appended to it.
    VnFilterList& filters() { return _filters; }
    const VnFilterList& filters() const { return _filters; }
    const VnString& lock() const { return _lock; }
    void lock(const VnString& lock) { _lock = lock; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The lock's element is "lock": a name must be legal XML for the archive to read back.
    template <class Field>
    void fields(Field field) {
        field(1, "filter_list", _filters);
        field(2, "lock", _lock);
    }

    VnFilterList _filters;
    VnString _lock;
};

#endif  // VN_JOB_VNORDER_H
