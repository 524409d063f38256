#ifndef VN_FARM_VNRESERVATIONHASH_H
#define VN_FARM_VNRESERVATIONHASH_H

#include "base/VnHash.h"
#include "base/VnString.h"
#include "farm/VnReservation.h"

// The packable hash of reservations by resource key ("host.processors"), packed as every
// VnHash is.
class VnReservationHash : public VnHash<VnReservation> {
public:
    VnReservationHash();
    ~VnReservationHash() override;

    // A deep copy of other's entries; each hash keeps its own packing state.
    VnReservationHash& operator=(const VnReservationHash& other);

    int type() override;
    VnString typeXML() override;

    // Empties the hash, then stores one reservation per item of the comma list text (split
    // as VnExpression::split does), each under its key. Empty items are passed over; of two
    // items with one key, the later one stays.
    void revert(const VnString& text);
};

#endif  // VN_FARM_VNRESERVATIONHASH_H
