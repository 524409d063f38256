// Reads fuzzed binary or XML data into one of the farm records or their lists and hashes. The
// first byte chooses: bit 4 the XML form, its other bits the class (modulo the number of
// classes). What was read must write a form that reads back; after one round the writing
// settles, except for the classes holding a hash, whose writing only reads back. A property's
// value may be of any class a message can carry, hashes among them, so properties are checked
// field by field instead: the id, the name, the text and the class of the value read back.

#include <cstddef>
#include <cstdint>
#include <string>

#include "farm/VnAccess.h"
#include "farm/VnAddress.h"
#include "farm/VnDataTable.h"
#include "farm/VnGroupAccess.h"
#include "farm/VnHost.h"
#include "farm/VnHostname.h"
#include "farm/VnMacAddress.h"
#include "farm/VnPassword.h"
#include "farm/VnPathMap.h"
#include "farm/VnProperty.h"
#include "farm/VnPropertyHash.h"
#include "farm/VnReservation.h"
#include "farm/VnReservationHash.h"
#include "farm/VnResource.h"
#include "farm/VnSubscription.h"
#include "farm/VnSupe.h"
#include "testing/FuzzRecords.h"

namespace {

using fuzz::readChecked;
using fuzz::Settles;

// What a property reads back as: its fields and the class of its value (0 for none).
std::string summary(VnProperty& property) {
    VnPack* value = property.value();
    return std::to_string(property.id()) + "|" + str(property.name()) + "|" + str(property.text()) + "|" +
           std::to_string(value ? value->type() : 0);
}

std::string summary(VnPropertyList& list) {
    std::string text;
    for (int i = 0; i < list.length(); ++i)
        text += summary(*list.get(i)) + "\n";
    return text;
}

// A record without fields writes the form of a new record whatever it read. (Its binary form is
// the version word alone, which unpack answers as "version word only", so it is not read back.)
template <class T>
void readFieldless(const std::string& input, bool xml) {
    T record, blank;
    unpackInto(record, input, xml);
    fuzz::check(packed(record, xml) == packed(blank, xml));
}

template <class T>
void readsBackAlike(T& read, bool xml) {
    T again;
    fuzz::readBack(again, packed(read, xml), xml);
    fuzz::check(summary(again) == summary(read));
}

const fuzz::Reader kReaders[] = {
    readChecked<VnAddress>,
    readChecked<VnMacAddress>,
    readChecked<VnHost>,
    readChecked<VnHostList>,
    readChecked<VnHostname>,
    readChecked<VnHostnameList>,
    readChecked<VnPathMap, Settles::ReadsBack>,
    readChecked<VnReservation>,
    readChecked<VnReservationList>,
    readChecked<VnReservationHash, Settles::ReadsBack>,
    readFieldless<VnAccess>,
    readChecked<VnAccessList>,
    readFieldless<VnGroupAccess>,
    readChecked<VnGroupAccessList>,
    readFieldless<VnPassword>,
    readChecked<VnPasswordList>,
    readChecked<VnProperty, Settles::ReadsBack, readsBackAlike<VnProperty>>,
    readChecked<VnPropertyList, Settles::ReadsBack, readsBackAlike<VnPropertyList>>,
    readChecked<VnPropertyHash, Settles::ReadsBack>,
    readFieldless<VnResource>,
    readChecked<VnResourceList>,
    readChecked<VnResourceHash, Settles::ReadsBack>,
    readFieldless<VnDataTable>,
    readChecked<VnDataTableList>,
    readFieldless<VnSubscription>,
    readChecked<VnSubscriptionList>,
    readFieldless<VnSupe>,
    readChecked<VnSupeList>,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::readChosen(data, size, 64 * 1024, {0x10, 0, 0xEF}, kReaders);
}
