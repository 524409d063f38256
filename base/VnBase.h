#ifndef VN_BASE_VNBASE_H
#define VN_BASE_VNBASE_H

// Root class of the library's objects. It holds no fields; every class
// answers its type number through type().
class VnBase {
public:
    VnBase();
    VnBase(const VnBase&) = default;
    virtual ~VnBase();

    virtual int type() = 0;

    // Copies nothing: a base holds nothing to copy.
    VnBase& operator=(const VnBase&) { return *this; }
};

#endif
