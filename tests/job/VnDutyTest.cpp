#include "job/VnDuty.h"

#include <gtest/gtest.h>

#include <string>

#include "job/VnRequest.h"
#include "tests/support/TestRecords.h"

namespace {

// The fields of an object's binary form, without the version word.
std::string body(VnPack& object) {
    return packed(object).substr(4);
}

// The object's XML block as a field of the record one level up, under name.
std::string nestedXML(const std::string& name, VnPack& object) {
    const std::string document = packed(object, true);
    std::string block = "\t\t";
    for (char c : document.substr(document.find('\n') + 1)) {
        block += c;
        if (c == '\n') block += "\t\t";
    }
    return "\t<" + name + ">\n" + block + "\n\t</" + name + ">\n";
}

VnDuty filledDuty() {
    VnDuty d;
    d.job().id(12);
    d.job().name("shot");
    d.subjob().id(3);
    d.subjob().host("node1");
    VnHost host;
    host.name("node1");
    d.host(host);
    d.preempt(1);
    return d;
}

VnRequest filledRequest() {
    VnRequest r;
    r.reservation(VnReservation(VnString("host.processors=2")));
    VnSubjob subjob;
    subjob.id(4);
    subjob.pid(12);
    r.subjob(subjob);
    r.satisfied(1);
    return r;
}

// Both forms exactly; each reads back into a record whose flag is 0 and stays 0.
template <class T>
void expectForms(T& record, const std::string& binary, const std::string& xml,
                 unsigned char (T::*flag)() const) {
    EXPECT_EQ(packed(record), binary);
    EXPECT_EQ(packed(record, true), xml);
    T back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, xml, true), 0);
    EXPECT_EQ(packed(back), binary);
    EXPECT_EQ(packed(fromXML), binary);
    EXPECT_EQ((back.*flag)() + (fromXML.*flag)(), 0);
}

// Every copy takes the members and the flag; a copy onto itself changes nothing.
template <class T>
void expectCopies(T& source, unsigned char (T::*flag)() const) {
    const std::string before = packed(source);
    T copied(source), assigned, viaCopy;
    assigned = source;
    viaCopy.copy(source);
    for (T* other : {&copied, &assigned, &viaCopy}) {
        EXPECT_EQ(packed(*other), before);
        EXPECT_EQ((other->*flag)(), 1);
    }
    const T& same = source;
    source = same;
    source.copy(same);
    EXPECT_EQ(packed(source), before);
    EXPECT_EQ((source.*flag)(), 1);
}

}  // namespace

TEST(VnDuty, SubjobBeforeJobInBothForms) {
    VnDuty blank;
    EXPECT_EQ(blank.preempt(), 0);
    VnDuty d = filledDuty();
    const std::string binary = kVersion + objField(2, 4, body(d.subjob())) + objField(1, 1, body(d.job())) +
                               objField(3, 9, strField(1, "node1"));
    const std::string xml =
        objectXML("duty", nestedXML("subjob", d.subjob()) + nestedXML("job", d.job()) +
                              "\t<host>\n\t\t<object type = 'host'>\n\t\t\t<name>node1</name>\n"
                              "\t\t</object>\n\t</host>\n");
    expectForms(d, binary, xml, &VnDuty::preempt);

    VnDuty partial = filledDuty();  // absent members stay
    ASSERT_EQ(unpackInto(partial, kVersion + objField(3, 9, strField(1, "node2"))), 0);
    EXPECT_EQ(std::string(partial.host().name().value()) + std::to_string(partial.job().id()), "node212");
}

TEST(VnDuty, CopiesCarryTheFlag) {
    VnDuty d = filledDuty();
    expectCopies(d, &VnDuty::preempt);
    VnDutyList list;
    list.push(new VnDuty(d));
    EXPECT_EQ(packed(list), kVersion + intField(1, 1) + objField(10, 44, body(d)));
    EXPECT_EQ(std::to_string(list.type()) + list.typeXML().value(), "45duty_list");
}

TEST(VnRequest, ReservationBeforeSubjobInBothForms) {
    VnRequest blank;
    EXPECT_EQ(blank.satisfied(), 0);
    VnRequest r = filledRequest();
    const std::string binary =
        kVersion + objField(1, 27, strField(1, "host") + strField(2, "processors") + strField(3, "2")) +
        objField(2, 4, body(r.subjob()));
    const std::string xml =
        objectXML("request", nestedXML("reservation", r.reservation()) + nestedXML("subjob", r.subjob()));
    expectForms(r, binary, xml, &VnRequest::satisfied);
    expectCopies(r, &VnRequest::satisfied);
    VnRequestList list;
    EXPECT_EQ(std::to_string(list.type()) + list.typeXML().value(), "94request_list");
}
