#include "farm/VnReservation.h"

#include <climits>
#include <memory>
#include <new>

#include "base/VnStringList.h"
#include "expression/VnExpression.h"

namespace {

// The number a text of decimal digits stands for when it lies from 1 to INT_MAX; else 1.
int unitsOf(const VnString& text) {
    if (text.length() == 0) return 1;
    long long units = 0;
    for (int i = 0; i < text.length(); ++i) {
        const char c = text.get(i);
        if (c < '0' || c > '9') return 1;
        units = units * 10 + (c - '0');
        if (units > INT_MAX) return 1;
    }
    return units < 1 ? 1 : static_cast<int>(units);
}

}  // namespace

VnReservation::VnReservation() = default;

VnReservation::VnReservation(const VnString& item) {
    VnString fullname;
    VnExpression::splitequal(item, fullname, _value);
    VnExpression::splitperiod(fullname, _class, _name);
}

VnReservation::~VnReservation() = default;

void VnReservation::copy(const VnReservation& other) {
    *this = other;
}

const VnString& VnReservation::classname() const {
    return _class;
}

const VnString& VnReservation::name() const {
    return _name;
}

const VnString& VnReservation::value() const {
    return _value;
}

VnString VnReservation::key() const {
    VnString text(_class);
    text += ".";
    text += _name;
    return text;
}

int VnReservation::count() const {
    return _class == "host" ? unitsOf(_value) : 1;
}

int VnReservation::type() {
    return VN_TYPE_RESERVATION;
}

VnString VnReservation::typeXML() {
    return VnString(VN_XML_RESERVATION);
}

VnReservationList::VnReservationList() = default;

VnReservationList::~VnReservationList() = default;

int VnReservationList::type() {
    return VN_TYPE_RESERVATION_LIST;
}

VnString VnReservationList::typeXML() {
    return VnString(VN_XML_RESERVATION_LIST);
}

void VnReservationList::revert(const VnString& text) {
    clear();
    VnStringList items;
    VnExpression::split(text, items);
    for (int i = 0; i < items.length(); ++i) {
        const VnString* item = items.get(i);
        if (!item || item->length() == 0) continue;
        std::unique_ptr<VnReservation> reservation(new VnReservation(*item));
        if (!push(reservation.get())) throw std::bad_alloc();
        reservation.release();
    }
}

VnString VnReservationList::convert() {
    VnString text;
    bool first = true;
    for (int i = 0; i < length(); ++i) {
        const VnReservation* reservation = get(i);
        if (!reservation) continue;
        if (!first) text += ",";
        first = false;
        text += reservation->key();
        if (reservation->value().length() == 0) continue;
        text += "=";
        text += reservation->value();
    }
    return text;
}
