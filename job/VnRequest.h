#ifndef VN_JOB_VNREQUEST_H
#define VN_JOB_VNREQUEST_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "farm/VnReservation.h"
#include "job/VnSubjob.h"

// One subjob and the resource reservation it asks for, with a flag that records whether the
// request is satisfied. The flag lives in memory only: a record that is read keeps its own.
class VnRequest : public VnPack {
public:
    VnRequest();
    VnRequest(const VnRequest& other);
    ~VnRequest() override;

    // Member-wise: the subjob, the reservation and the flag.
    VnRequest& operator=(const VnRequest& other) = default;
    void copy(const VnRequest& other);

    VnReservation& reservation() { return _reservation; }
    const VnReservation& reservation() const { return _reservation; }
    void reservation(const VnReservation& reservation) { _reservation = reservation; }
    VnSubjob& subjob() { return _subjob; }
    const VnSubjob& subjob() const { return _subjob; }
    void subjob(const VnSubjob& subjob) { _subjob = subjob; }
    unsigned char satisfied() const { return _satisfied; }
    void satisfied(unsigned char satisfied) { _satisfied = satisfied; }

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    // The flag does not travel.
    template <class Field>
    void fields(Field field) {
        field(1, "reservation", _reservation);
        field(2, "subjob", _subjob);
    }

    VnSubjob _subjob;
    VnReservation _reservation;
    unsigned char _satisfied = 0;
};

VN_DECLARE_LIST(VnRequestList, VnRequest, VN_TYPE_REQUEST_LIST, VN_XML_REQUEST_LIST)

#endif  // VN_JOB_VNREQUEST_H
