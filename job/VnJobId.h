#ifndef VN_JOB_VNJOBID_H
#define VN_JOB_VNJOBID_H

#include <iosfwd>

#include "base/VnDebug.h"
#include "base/VnFields.h"
#include "base/VnHash.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// Names a job, one of its subjobs or all of them: a job id and a subjob id. A subjob id of 0
// or more names that subjob, -1 the job itself and -2 all subjobs.
//
// Text form: the job id, then "." and the subjob id for a subjob, or ".*" for all subjobs;
// so 12, 12.3 and 12.*.
class VnJobId : public VnPack {
public:
    VnJobId();
    explicit VnJobId(int id);
    VnJobId(int id, int subid);
    // Reads the text form with value(text).
    explicit VnJobId(const VnString& text);
    VnJobId(const VnJobId& other);
    ~VnJobId() override;

    // Member-wise: both ids.
    VnJobId& operator=(const VnJobId& other) = default;
    void copy(const VnJobId& other);

    int id() const { return _id; }
    void id(int id) { _id = id; }
    int subid() const { return _subid; }
    void subid(int subid) { _subid = subid; }

    // The text form; a subjob id of -1 or below (other than -2) adds nothing.
    VnString value() const;
    // Sets both ids from a text form. The job id is the leading number of the text before the
    // first "." (0 without one). The subjob id is -1 when nothing follows that ".", -2 for
    // "*" and otherwise the leading number of the rest.
    void value(const VnString& text);

    // The job id's remainder of n, with the sign of the job id; 0 for n of 0 or -1.
    int sid(int n) const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "id", _id);
        field(2, "sub_id", _subid);
    }

    int _id;
    int _subid;
};

VN_DECLARE_LIST(VnJobIdList, VnJobId, VN_TYPE_JOB_ID_LIST, VN_XML_JOB_ID_LIST)
VN_DECLARE_HASH(VnJobIdHash, VnJobId, VN_TYPE_JOB_ID_HASH, VN_XML_JOB_ID_HASH)

// Each writes the text form.
std::ostream& operator<<(std::ostream& os, const VnJobId& id);
VnDebug& operator<<(VnDebug& debug, const VnJobId& id);

#endif  // VN_JOB_VNJOBID_H
