#ifndef VN_FARM_VNRESERVATION_H
#define VN_FARM_VNRESERVATION_H

#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// A reservation of units of a named resource, written as an item "class.name[=value]"
// (host.processors=2 reserves two processors of a host).
//
// Packed forms (the library's own layout): the class, the name and the value as string
// fields under tags 1, 2 and 3; in XML the elements "class", "name" and "value".
class VnReservation : public VnPack {
public:
    VnReservation();
    // Takes the item apart: the class is what comes before the first ".", the name the rest
    // up to the first "=", both without whitespace; the value is what follows the "=",
    // leading whitespace skipped. Without "=" there is no value; without "." no name.
    explicit VnReservation(const VnString& item);
    VnReservation(const VnReservation& other) = default;
    ~VnReservation() override;

    // Takes every field.
    VnReservation& operator=(const VnReservation& other) = default;
    void copy(const VnReservation& other);

    const VnString& classname() const;
    const VnString& name() const;
    const VnString& value() const;
    // The resource's key: the class, "." and the name ("host.processors").
    VnString key() const;
    // The units reserved: for the class "host", the value when it is a whole decimal number
    // from 1 to INT_MAX; 1 for anything else ("all", no value, a negative, zero, too large
    // or non-numeric value, another class).
    int count() const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "class", _class);
        field(2, "name", _name);
        field(3, "value", _value);
    }

    VnString _class;
    VnString _name;
    VnString _value;
};

// The packable list of reservations, packed as every VnList is, and its text form: the items
// "class.name[=value]" joined by ",".
class VnReservationList : public VnList<VnReservation> {
public:
    VnReservationList();
    ~VnReservationList() override;

    int type() override;
    VnString typeXML() override;

    // Empties the list, then appends one reservation per item of the comma list text (split
    // as VnExpression::split does), in order. Empty items are passed over; every other item
    // stays, even when its key comes again.
    void revert(const VnString& text);
    // The text form: each reservation's class, "." and name, followed by "=" and the value when
    // the value is not empty; the items joined by ",". revert of it gives back an equal list
    // for every list that revert made.
    VnString convert();
};

#endif  // VN_FARM_VNRESERVATION_H
