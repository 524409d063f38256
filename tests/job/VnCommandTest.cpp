#include "job/VnCommand.h"

#include <gtest/gtest.h>

#include <string>

#include "job/VnBumpCommand.h"
#include "job/VnModifyCommand.h"
#include "job/VnOperation.h"
#include "job/VnOrder.h"
#include "tests/support/TestRecords.h"

namespace {

std::string el(int depth, const std::string& name, const std::string& value) {
    return std::string(std::size_t(depth), '\t') + "<" + name + ">" + value + "</" + name + ">\n";
}

// An element holding a nested object block.
std::string obj(int depth, const std::string& name, const std::string& type, const std::string& inner) {
    const std::string t(std::size_t(depth), '\t');
    return t + "<" + name + ">\n" + t + "\t<object type = '" + type + "'>\n" + inner + t + "\t</object>\n" +
           t + "</" + name + ">\n";
}

std::string list(int count, const std::string& items) {
    return intField(1, count) + items;
}

const std::string kNul(1, '\0');

// The object writes both forms exactly, and what each form reads back writes the binary form again.
template <class T>
void expectForms(T& object, const std::string& binary, const std::string& xml) {
    EXPECT_EQ(packed(object), binary);
    EXPECT_EQ(packed(object, true), xml);
    T back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, xml, true), 0);
    EXPECT_EQ(packed(back), binary);
    EXPECT_EQ(packed(fromXML), binary);
}

// The copy constructor, operator= and copy give the same record; change() on each copy leaves
// the source as it was, and a copy onto itself changes nothing.
template <class T, class Change>
void expectDeepCopies(T& source, Change change) {
    const std::string before = packed(source);
    T copied(source), assigned, viaCopy;
    assigned = source;
    viaCopy.copy(source);
    for (T* other : {&copied, &assigned, &viaCopy}) {
        EXPECT_EQ(packed(*other), before);
        change(*other);
    }
    const T& same = source;
    source = same;
    source.copy(same);
    EXPECT_EQ(packed(source), before);
}

VnCommand filled() {
    VnCommand c;
    c.filters().push(new VnFilter(VnString("id")));
    c.jobids().push(new VnJobId(12, 3));
    c.workids().push(new VnWorkId(12, VnString("f1")));
    c.groups().push(new VnString("a"));
    c.groups().push(new VnString("b"));
    c.restrictions(0);
    c.limit(5);
    c.background(0);
    return c;
}

const std::string kFilledBinary =
    objField(1, 21,
             list(1, objField(10, 20,
                              strField(1, "id") + field(3, 6, kNul) + objField(4, 23, intField(1, 0)) +
                                  field(5, 2, "=")))) +
    objField(2, 18, list(1, objField(10, 19, intField(1, 12) + intField(2, 3)))) +
    objField(3, 60, list(1, objField(10, 59, intField(1, 12) + strField(2, "f1") + intField(3, -1)))) +
    objField(4, 55, list(2, strField(10, "a") + strField(10, "b"))) + field(5, 6, kNul) + intField(6, 5) +
    field(7, 6, kNul);

const std::string kFilledXML =
    obj(1, "filter_list", "filter_list",
        obj(3, "item", "filter",
            el(5, "name", "id") + el(5, "neg", "0") + obj(5, "fields", "field_list", "") +
                el(5, "sign", "61"))) +
    obj(1, "job_id_list", "job_id_list", obj(3, "item", "job_id", el(5, "id", "12") + el(5, "sub_id", "3"))) +
    obj(1, "work_id_list", "work_id_list",
        obj(3, "item", "work_id", el(5, "id", "12") + el(5, "name", "f1") + el(5, "work_id", "-1"))) +
    obj(1, "group_list", "string_list", el(3, "item", "a") + el(3, "item", "b")) +
    el(1, "restrictions", "0") + el(1, "limit", "5") + el(1, "background", "0");

const std::string kDefaultBinary = objField(1, 21, list(0, "")) + objField(2, 18, list(0, "")) +
                                   objField(3, 60, list(0, "")) + objField(4, 55, list(0, "")) +
                                   field(5, 6, "\x01") + intField(6, 0) + field(7, 6, "\x01");

const std::string kDefaultXML =
    obj(1, "filter_list", "filter_list", "") + obj(1, "job_id_list", "job_id_list", "") +
    obj(1, "work_id_list", "work_id_list", "") + obj(1, "group_list", "string_list", "") +
    el(1, "restrictions", "1") + el(1, "limit", "0") + el(1, "background", "1");

}  // namespace

TEST(VnCommand, PackedFormsAndCopies) {
    VnCommand blank, c = filled();
    expectForms(blank, kVersion + kDefaultBinary, objectXML("command", kDefaultXML));
    expectForms(c, kVersion + kFilledBinary, objectXML("command", kFilledXML));
    expectDeepCopies(c, [](VnCommand& other) {
        other.filters().get(0)->name("x");
        other.jobids().get(0)->id(1);
        other.workids().get(0)->name("g");
        *other.groups().get(0) = "z";
    });

    // A few megabytes of XML read back whole.
    for (int i = 0; i < 200000; ++i)
        blank.groups().push(new VnString("group"));
    const std::string text = packed(blank, true);
    ASSERT_GT(text.size(), 3000000u);
    VnCommand back;
    ASSERT_EQ(unpackInto(back, text, true), 0);
    EXPECT_EQ(back.groups().length(), 200000);
}

TEST(VnBumpCommand, PackedFormsCopiesAndDirectionWords) {
    VnBumpCommand blank, b;
    expectForms(blank, kVersion + kDefaultBinary + intField(10, 0) + intField(11, 0),
                objectXML("bump_command", kDefaultXML + el(1, "diff", "0") + el(1, "direction", "0")));
    b.copy(filled());  // from a plain command: the command part only
    b.diff(-4);
    b.direction(2);
    expectForms(b, kVersion + kFilledBinary + intField(10, -4) + intField(11, 2),
                objectXML("bump_command", kFilledXML + el(1, "diff", "-4") + el(1, "direction", "2")));
    expectDeepCopies(b, [](VnBumpCommand& other) {
        other.jobids().get(0)->id(99);
        other.diff(1);
    });

    blank.diff(7);
    blank.copy(static_cast<const VnCommand&>(b));  // leaves diff and direction
    EXPECT_EQ(blank.diff() * 10 + blank.direction(), 70);

    std::string words;
    for (int d : {0, 1, 2, 3, -1}) {
        b.direction(d);
        words += std::string(b.directionstring().value()) + "|";
    }
    EXPECT_EQ(words, "|top|bottom|||");
}

TEST(VnModifyCommand, JobAndFieldsTravelOnlyInBinary) {
    VnModifyCommand blank, m;
    VnJob job;
    EXPECT_EQ(packed(blank), kVersion + kDefaultBinary + objField(10, 1, packed(job).substr(4)) +
                                 objField(11, 23, list(0, "")));
    EXPECT_EQ(packed(blank, true), objectXML("command", kDefaultXML));

    m.VnCommand::copy(filled());
    job.name(VnString("shot"));
    job.agenda().push(new VnWork());
    m.job(job);
    m.fields().push(new VnField(VnString("name")));
    const std::string binary =
        kVersion + kFilledBinary + objField(10, 1, packed(job).substr(4)) +
        objField(11, 23, list(1, objField(10, 22, strField(1, "name") + field(2, 2, kNul))));
    EXPECT_EQ(packed(m), binary);
    EXPECT_EQ(packed(m, true), objectXML("command", kFilledXML));
    VnModifyCommand back;
    ASSERT_EQ(unpackInto(back, binary), 0);
    EXPECT_EQ(packed(back), binary);

    // From XML only the command part arrives; the job and field names stay the target's.
    VnModifyCommand target(m);
    target.VnCommand::copy(VnCommand());
    ASSERT_EQ(unpackInto(target, objectXML("command", kFilledXML), true), 0);
    EXPECT_EQ(packed(target), binary);

    expectDeepCopies(m, [](VnModifyCommand& other) {
        other.fields().get(0)->value("label");
        *other.groups().get(0) = "z";
        VnJob changed(other.job());  // replacing the job frees the copy's agenda, never the source's
        changed.agenda().get(0)->name("f9");
        other.job(changed);
    });
}

TEST(VnOperation, JobIdsTravelBeforeVariableIds) {
    VnOperation blank, op;
    expectForms(blank,
                kVersion + objField(1, 21, list(0, "")) + objField(3, 18, list(0, "")) +
                    objField(2, 131, list(0, "")) + field(5, 6, "\x01") + intField(6, 0),
                objectXML("operation_id_list", obj(1, "filter_list", "filter_list", "") +
                                                   obj(1, "job_id_list", "job_id_list", "") +
                                                   obj(1, "variable_id_list", "variable_id_list", "") +
                                                   el(1, "restrictions", "1") + el(1, "limit", "0")));
    op.jobids().push(new VnJobId(7));
    op.variableids().push(new VnVariableId(7, VnString("frame")));
    op.restrictions(0);
    op.limit(9);
    expectForms(
        op,
        kVersion + objField(1, 21, list(0, "")) +
            objField(3, 18, list(1, objField(10, 19, intField(1, 7) + intField(2, -1)))) +
            objField(2, 131,
                     list(1, objField(10, 130, intField(1, 7) + strField(2, "frame") + intField(3, 0)))) +
            field(5, 6, kNul) + intField(6, 9),
        objectXML("operation_id_list",
                  obj(1, "filter_list", "filter_list", "") +
                      obj(1, "job_id_list", "job_id_list",
                          obj(3, "item", "job_id", el(5, "id", "7") + el(5, "sub_id", "-1"))) +
                      obj(1, "variable_id_list", "variable_id_list",
                          obj(3, "item", "variable_id",
                              el(5, "pid", "7") + el(5, "name", "frame") + el(5, "cls", "0"))) +
                      el(1, "restrictions", "0") + el(1, "limit", "9")));

    op.filters().push(new VnFilter("user", "ann"));
    expectDeepCopies(op, [](VnOperation& other) {
        other.filters().get(0)->name("host");
        other.jobids().get(0)->subid(5);
        other.variableids().get(0)->pid(8);
    });
}

TEST(VnOrder, LockTravelsInBothForms) {
    VnOrder blank, order;
    const std::string filters = obj(1, "filter_list", "filter_list", "");
    expectForms(blank, kVersion + objField(1, 21, list(0, "")) + strField(2, ""),
                objectXML("order", filters + el(1, "lock", "")));
    order.lock("ann 42");
    expectForms(order, kVersion + objField(1, 21, list(0, "")) + strField(2, "ann 42"),
                objectXML("order", filters + el(1, "lock", "ann 42")));
    // An element named "2" is no XML: the document is refused and the lock stays.
    EXPECT_EQ(unpackInto(order, objectXML("order", filters + el(1, "2", "other")), true), 4);
    EXPECT_EQ(std::string(order.lock().value()), "ann 42");

    order.filters().push(new VnFilter("user", "ann"));
    expectDeepCopies(order, [](VnOrder& other) {
        other.filters().get(0)->name("host");
        other.lock("M");
    });
}
