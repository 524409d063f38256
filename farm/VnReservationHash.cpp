#include "farm/VnReservationHash.h"

#include <memory>

#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "expression/VnExpression.h"

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
    VnStringList items;
    VnExpression::split(text, items);
    for (int i = 0; i < items.length(); ++i) {
        const VnString* item = items.get(i);
        if (!item || item->length() == 0) continue;
        std::unique_ptr<VnReservation> reservation(new VnReservation(*item));
        if (set(reservation.get(), reservation->key())) reservation.release();
    }
}
