#ifndef VN_JOB_VNWORKID_H
#define VN_JOB_VNWORKID_H

#include <iosfwd>

#include "base/VnDebug.h"
#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// Names one work item of a job: the job id, the item's name and the item's own number.
//
// Text form: the job id, then ":" and the name when there is one, so 12:frame0001. The
// item's number is never part of the text.
class VnWorkId : public VnPack {
public:
    VnWorkId();
    explicit VnWorkId(int id);
    VnWorkId(int id, const VnString& name);
    // Starts from an empty name, then reads the text form with value(text).
    explicit VnWorkId(const VnString& text);
    VnWorkId(const VnWorkId& other);
    ~VnWorkId() override;

    // Member-wise: all three fields.
    VnWorkId& operator=(const VnWorkId& other) = default;
    void copy(const VnWorkId& other);

    int id() const { return _id; }
    void id(int id) { _id = id; }
    VnString& name() { return _name; }
    const VnString& name() const { return _name; }
    void name(const VnString& name) { _name = name; }
    int workid() const { return _workid; }
    void workid(int workid) { _workid = workid; }

    VnString value() const;
    // Reads a text form: the job id is the leading number of the text before the first ":"
    // (0 without one); every byte after that ":" is appended to the name. The item's number
    // is left as it is.
    void value(const VnString& text);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "id", _id);
        field(2, "name", _name);
        field(3, "work_id", _workid);
    }

    int _id;
    VnString _name;  // undefined until given
    int _workid;
};

VN_DECLARE_LIST(VnWorkIdList, VnWorkId, VN_TYPE_WORK_ID_LIST, VN_XML_WORK_ID_LIST)

// Each writes the text form.
std::ostream& operator<<(std::ostream& os, const VnWorkId& id);
VnDebug& operator<<(VnDebug& debug, const VnWorkId& id);

#endif  // VN_JOB_VNWORKID_H
