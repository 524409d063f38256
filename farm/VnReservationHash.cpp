#include "farm/VnReservationHash.h"

#include <memory>

#include "base/VnTypes.h"

VnReservationHash::VnReservationHash() = default;

VnReservationHash::~VnReservationHash() = default;

VnReservationHash& VnReservationHash::operator=(const VnReservationHash& other) {
    VnHash<VnReservation>::operator=(other);
    return *this;
}

int VnReservationHash::type() {
    return VN_TYPE_RESERVATION_HASH;
}

VnString VnReservationHash::typeXML() {
    return VnString(VN_XML_RESERVATION_HASH);
}

void VnReservationHash::revert(const VnString& text) {
    clear();
    VnReservationList items;
    items.revert(text);
    while (items.length() > 0) {
        std::unique_ptr<VnReservation> reservation(items.shift());
        if (set(reservation.get(), reservation->key())) reservation.release();
    }
}
