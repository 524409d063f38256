#include "job/VnOrder.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestRecords.h"

namespace {

const std::string kFilterList =
    "\t<filter_list>\n\t\t<object type = 'filter_list'>\n\t\t</object>\n\t</filter_list>\n";

}  // namespace

TEST(VnOrder, LockTravelsInBothForms) {
    VnOrder blank;
    EXPECT_EQ(packed(blank), kVersion + objField(1, 21, intField(1, 0)) + strField(2, ""));
    EXPECT_EQ(packed(blank, true), objectXML("order", kFilterList + "\t<lock></lock>\n"));

    VnOrder order;
    order.lock("ann 42");
    const std::string binary = kVersion + objField(1, 21, intField(1, 0)) + strField(2, "ann 42");
    const std::string xml = objectXML("order", kFilterList + "\t<lock>ann 42</lock>\n");
    EXPECT_EQ(packed(order), binary);
    EXPECT_EQ(packed(order, true), xml);

    VnOrder back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, xml, true), 0);
    EXPECT_EQ(std::string(back.lock().value()) + "|" + fromXML.lock().value(), "ann 42|ann 42");

    // An element named "2" is no XML: the document is refused and the lock stays.
    VnOrder numbered;
    numbered.lock("kept");
    EXPECT_EQ(unpackInto(numbered, objectXML("order", kFilterList + "\t<2>other</2>\n"), true), 4);
    EXPECT_EQ(std::string(numbered.lock().value()), "kept");
}

TEST(VnOrder, CopiesShareNothing) {
    VnOrder order;
    order.filters().push(new VnFilter("user", "ann"));
    order.lock("L");
    const std::string before = packed(order);
    VnOrder copied(order), assigned, viaCopy;
    assigned = order;
    viaCopy.filters().push(new VnFilter(VnString("old")));  // replaced, not kept
    viaCopy.copy(order);
    for (VnOrder* other : {&copied, &assigned, &viaCopy}) {
        EXPECT_EQ(packed(*other), before);
        other->filters().get(0)->name("host");
        other->lock("M");
    }
    const VnOrder& same = order;
    order = same;
    order.copy(same);
    EXPECT_EQ(packed(order), before);
}
