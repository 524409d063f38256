#ifndef VN_FARM_VNPROPERTY_H
#define VN_FARM_VNPROPERTY_H

#include "base/VnFields.h"
#include "base/VnHeldObject.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// A named property: an id, a name, a text and a value object of any class that a message can
// carry. The property owns its value object, so the value must not be the property itself nor
// an object that holds the property however far down: deleting such a cycle deletes an object
// twice.
//
// Packed forms (the library's own layout): the id as an int field under tag 1, the name and
// the text as string fields under tags 2 and 3, and the value as a nested object under tag 4,
// written only when there is one; in XML the elements "id", "name", "text" and "value". A
// binary reader makes the value from the class number in its field (vn_registry_create); a
// class it does not know leaves the property without a value. The XML form names no class
// number, so its reader fills only a value object that the property already holds.
class VnProperty : public VnPack {
public:
    // Id -1, empty name and text, no value.
    VnProperty();
    // Takes the id, the name and the text; the new property has no value.
    VnProperty(const VnProperty& other);
    // Deletes the value with the property.
    ~VnProperty() override;

    // Each takes the id, the name and the text and leaves this property's value as it was.
    VnProperty& operator=(const VnProperty& other);
    void copy(const VnProperty& other);

    int id() const;
    void id(int id);
    const VnString& name() const;
    void name(const VnString& name);
    const VnString& text() const;
    void text(const VnString& text);
    // The value object, null when there is none.
    VnPack* value();
    const VnPack* value() const;
    // Holds value from now on, deleting the object held before (unless it is the same).
    void value(VnPack* value);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "id", _id);
        field(2, "name", _name);
        field(3, "text", _text);
        field(4, "value", _value);
    }

    int _id;
    VnString _name;
    VnString _text;
    VnHeldObject _value;
};

VN_DECLARE_LIST(VnPropertyList, VnProperty, VN_TYPE_PROPERTY_LIST, VN_XML_PROPERTY_LIST)

#endif  // VN_FARM_VNPROPERTY_H
