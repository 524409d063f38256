#include <gtest/gtest.h>

#include <string>

#include "farm/VnAccess.h"
#include "farm/VnDataTable.h"
#include "farm/VnGroupAccess.h"
#include "farm/VnPassword.h"
#include "farm/VnResource.h"
#include "farm/VnSubscription.h"
#include "farm/VnSupe.h"
#include "testing/TestRecords.h"

namespace {

// The XML lines of a record without fields, nested in an element of the given name.
std::string emptyBlock(const std::string& element, const std::string& type) {
    return "\t<" + element + ">\n\t\t<object type = '" + type + "'>\n\t\t</object>\n\t</" + element + ">\n";
}

// Fields of every kind that a peer may send in a record of which the library knows none.
const std::string kStrangeFields =
    intField(1, 5) + strField(2, "x") + objField(3, VN_TYPE_STRING_LIST, intField(1, 0)) + intField(4, 6);
const std::string kStrangeElements =
    "\t<id>5</id>\n\t<name>x</name>\n\t<table>\n\t\t<row>1</row>\n\t</table>\n";

// A record without fields of its own and its typed list: their numbers and names, directly and
// through the VnPack base, their packed forms byte for byte, and round trips in both forms.
template <class Record, class List>
void checkRecordAndList(int number, const std::string& name, int listNumber, const std::string& listName) {
    SCOPED_TRACE(name);
    Record record;
    List list;
    VnPack& recordPack = record;
    VnPack& listPack = list;
    EXPECT_EQ(std::to_string(record.type()) + str(record.typeXML()) + std::to_string(recordPack.type()) +
                  str(recordPack.typeXML()),
              std::to_string(number) + name + std::to_string(number) + name);
    EXPECT_EQ(std::to_string(list.type()) + str(list.typeXML()) + std::to_string(listPack.type()) +
                  str(listPack.typeXML()),
              std::to_string(listNumber) + listName + std::to_string(listNumber) + listName);

    EXPECT_EQ(packed(record), kVersion);
    EXPECT_EQ(packed(record, true), objectXML(name, ""));
    // Whatever fields a peer sends are passed over.
    ASSERT_EQ(unpackInto(record, kVersion + kStrangeFields), 0);
    ASSERT_EQ(unpackInto(record, objectXML(name, kStrangeElements), true), 0);
    EXPECT_EQ(packed(record), kVersion);

    for (int i = 0; i < 3; ++i)
        list.push(new Record());
    const std::string bytes = packed(list);
    const std::string element = objField(10, number, "");
    EXPECT_EQ(bytes, kVersion + intField(1, 3) + element + element + element);
    const std::string document = packed(list, true);
    const std::string item = emptyBlock("item", name);
    EXPECT_EQ(document, objectXML(listName, item + item + item));
    for (bool xml : {false, true}) {
        List back;
        back.push(new Record());  // reading appends
        ASSERT_EQ(unpackInto(back, xml ? document : bytes, xml), 0) << xml;
        EXPECT_EQ(back.length(), 4) << xml;
        EXPECT_EQ(packed(back, xml), xml ? objectXML(listName, item + item + item + item)
                                         : kVersion + intField(1, 4) + element + element + element + element)
            << xml;
    }
    // Elements that carry fields still read as elements.
    List strange;
    ASSERT_EQ(unpackInto(strange, kVersion + intField(1, 2) + objField(10, number, kStrangeFields) +
                                      objField(10, number, kStrangeFields)),
              0);
    EXPECT_EQ(strange.length(), 2);
}

}  // namespace

TEST(VnFarmRecords, FieldlessRecordsAndTheirListsInBothForms) {
    checkRecordAndList<VnAccess, VnAccessList>(95, "access", 96, "access_list");
    checkRecordAndList<VnGroupAccess, VnGroupAccessList>(101, "group_access", 102, "group_access_list");
    checkRecordAndList<VnPassword, VnPasswordList>(182, "password", 183, "password_list");
    checkRecordAndList<VnResource, VnResourceList>(10, "resource", 11, "resource_list");
    checkRecordAndList<VnDataTable, VnDataTableList>(38, "data_table", 39, "data_table_list");
    checkRecordAndList<VnSubscription, VnSubscriptionList>(152, "subscription", 153, "subscription_list");
    checkRecordAndList<VnSupe, VnSupeList>(172, "supe", 173, "supe_list");
}

TEST(VnFarmRecords, CopiesOfTheRecordsThatHaveThem) {
    VnAccess access, accessCopy;
    VnGroupAccess group, groupCopy;
    VnPassword password, passwordCopy;
    accessCopy.copy(access);
    groupCopy.copy(group);
    passwordCopy.copy(password);
    EXPECT_EQ(packed(accessCopy) + packed(groupCopy) + packed(passwordCopy), kVersion + kVersion + kVersion);

    // A list copies its elements through them.
    VnAccessList list, copy;
    list.push(new VnAccess());
    list.push(new VnAccess());
    copy = list;
    EXPECT_EQ(packed(copy), packed(list));
    EXPECT_NE(copy.get(0), list.get(0));
}

TEST(VnResourceHash, PairsInBothForms) {
    VnResourceHash hash;
    EXPECT_EQ(std::to_string(hash.type()) + str(hash.typeXML()), "67resource_hash");
    hash.set(new VnResource(), "gpu");
    EXPECT_EQ(packed(hash),
              kVersion + intField(1, 1) + strField(10, "gpu") + objField(30, VN_TYPE_RESOURCE, ""));
    EXPECT_EQ(packed(hash, true),
              objectXML("resource_hash", "\t<key>gpu</key>\n" + emptyBlock("element", "resource")));
    hash.set(new VnResource(), "disk");
    hash.set(new VnResource(), "tape");
    for (bool xml : {false, true}) {
        VnResourceHash back;
        back.set(new VnResource(), "kept");
        ASSERT_EQ(unpackInto(back, packed(hash, xml), xml), 0) << xml;
        EXPECT_EQ(back.length(), 4) << xml;
        EXPECT_TRUE(back.get("gpu") && back.get("disk") && back.get("tape") && back.get("kept")) << xml;
    }
}
