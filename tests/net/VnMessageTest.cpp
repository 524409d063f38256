#include "net/VnMessage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/VnError.h"
#include "base/VnStringList.h"
#include "base/VnTypes.h"
#include "farm/VnHostname.h"
#include "farm/VnProperty.h"
#include "farm/VnPropertyHash.h"
#include "farm/VnResource.h"
#include "job/VnJobId.h"
#include "net/VnRegistry.h"
#include "system/VnTime.h"
#include "testing/TestRecords.h"

namespace {

// The time request of user bob.
const std::string kRequest =
    kVersion + intField(1, 107) + strField(2, "bob") + objField(3, VN_TYPE_TIME, intField(1, 5));

}  // namespace

TEST(VnMessage, PackedFormsByteForByte) {
    VnMessage request(107);
    request.user("bob");
    request.content(new VnTime(5));
    EXPECT_EQ(packed(request), kRequest);
    const std::string document = packed(request, true);
    EXPECT_EQ(document, objectXML("message",
                                  "\t<tag>107</tag>\n\t<user>bob</user>\n\t<content>\n"
                                  "\t\t<object type = 'time'>\n\t\t\t<value>5</value>\n\t\t</object>\n"
                                  "\t</content>\n"));
    VnMessage empty;
    EXPECT_EQ(packed(empty), kVersion + intField(1, -1) + strField(2, ""));

    VnMessage back;
    ASSERT_EQ(unpackInto(back, kRequest), 0);
    ASSERT_NE(back.content(), nullptr);
    ASSERT_EQ(back.content()->type(), VN_TYPE_TIME);
    EXPECT_EQ(back.tag() + static_cast<VnTime*>(back.content())->value(), 112);
    EXPECT_EQ(str(back.user()), "bob");

    // The XML form names no class number: only a content already held is filled.
    VnMessage holding, bare;
    holding.content(new VnTime());
    ASSERT_EQ(unpackInto(holding, document, true) + unpackInto(bare, document, true), 0);
    EXPECT_EQ(static_cast<VnTime*>(holding.content())->value(), 5);
    EXPECT_EQ(bare.content(), nullptr);
    EXPECT_EQ(str(bare.user()) + std::to_string(bare.tag()), "bob107");
}

TEST(VnMessage, ContentMadeFromItsClassNumber) {
    VnStringList list;
    list.push(new VnString("a"));
    list.push(new VnString("b"));
    VnError error(18);
    error.set("VERSION", "3");
    VnHostname host(VnString("h"));
    host.port(5);
    VnJobId id(12, 3);
    VnTime time(-7);
    for (VnPack* content : std::initializer_list<VnPack*>{&list, &error, &host, &id, &time}) {
        VnMessage message(4), back;
        message.content(vn_registry_create(content->type()));
        ASSERT_EQ(unpackInto(*message.content(), packed(*content)), 0);
        ASSERT_EQ(unpackInto(back, packed(message)), 0);
        ASSERT_NE(back.content(), nullptr) << content->type();
        EXPECT_EQ(packed(*back.content()), packed(*content)) << content->type();
    }

    // A class that no one knows, or a message itself, leaves no content; the fields after it
    // are still read.
    for (int number : {9999, VN_TYPE_MESSAGE, VN_TYPE_CLIENT}) {
        VnMessage back;
        ASSERT_EQ(unpackInto(back, kVersion + objField(3, number, intField(1, 1)) + strField(2, "amy")), 0);
        EXPECT_EQ(back.content(), nullptr);
        EXPECT_EQ(str(back.user()), "amy");
    }
    // A content whose length runs past the data is dropped; a later content replaces an earlier.
    VnMessage cut, twice;
    const std::string whole = objField(3, VN_TYPE_TIME, intField(1, 9));
    ASSERT_EQ(unpackInto(cut, kVersion + whole.substr(0, whole.size() - 1)), 0);
    EXPECT_EQ(cut.content(), nullptr);
    ASSERT_EQ(unpackInto(twice, kRequest + whole), 0);
    EXPECT_EQ(static_cast<VnTime*>(twice.content())->value(), 9);
}

TEST(VnMessage, OwnsItsContent) {
    VnMessage message;
    VnTime* time = new VnTime(3);
    message.content(time);
    message.content(time);  // the same object stays
    EXPECT_EQ(static_cast<VnTime*>(message.content())->value(), 3);
    message.content(new VnStringList());  // the time goes (a leak or a double free shows here)
    message.content(nullptr);
    EXPECT_EQ(message.content(), nullptr);
    message.content(new VnTime(1));  // deleted with the message
}

TEST(VnRegistry, MakesEachClassUnderItsOwnNumber) {
    int made = 0;
    for (int number = -2; number < 1000; ++number) {
        std::unique_ptr<VnPack> object(vn_registry_create(number));
        if (!object) continue;
        ++made;
        EXPECT_EQ(object->type(), number);
    }
    EXPECT_EQ(made, 98);
    EXPECT_EQ(vn_registry_create(VN_TYPE_MEDIATOR), nullptr);
}

TEST(VnMessage, CarriesAPropertyWithItsValueAndTheFarmHashes) {
    auto* property = new VnProperty();
    property->id(2);
    property->name("tags");
    auto* tags = new VnStringList();
    tags->push(new VnString("x"));
    property->value(tags);
    VnMessage message(9);
    message.content(property);
    const std::string valueFields = intField(1, 1) + strField(10, "x");
    const std::string bytes = packed(message);
    EXPECT_EQ(bytes, kVersion + intField(1, 9) + strField(2, "") +
                         objField(3, VN_TYPE_PROPERTY,
                                  intField(1, 2) + strField(2, "tags") + strField(3, "") +
                                      objField(4, VN_TYPE_STRING_LIST, valueFields)));
    VnMessage back;
    ASSERT_EQ(unpackInto(back, bytes), 0);
    ASSERT_NE(back.content(), nullptr);
    ASSERT_EQ(back.content()->type(), VN_TYPE_PROPERTY);
    VnProperty& read = *static_cast<VnProperty*>(back.content());
    ASSERT_NE(read.value(), nullptr);
    ASSERT_EQ(read.value()->type(), VN_TYPE_STRING_LIST);
    EXPECT_EQ(
        str(read.name()) + std::to_string(read.id()) + str(*static_cast<VnStringList*>(read.value())->get(0)),
        "tags2x");
    EXPECT_EQ(packed(back), bytes);

    // The decoder makes both farm hashes from their numbers.
    VnPropertyHash properties;
    properties.set(new VnProperty(), "p");
    VnResourceHash resources;
    resources.set(new VnResource(), "r");
    for (VnPack* content : std::initializer_list<VnPack*>{&properties, &resources}) {
        VnMessage carrier(4), received;
        carrier.content(vn_registry_create(content->type()));
        ASSERT_EQ(unpackInto(*carrier.content(), packed(*content)), 0);
        ASSERT_EQ(unpackInto(received, packed(carrier)), 0);
        ASSERT_NE(received.content(), nullptr) << content->type();
        EXPECT_EQ(packed(*received.content()), packed(*content)) << content->type();
    }
}
