#include "job/VnCommand.h"

#include <gtest/gtest.h>

#include <string>

#include "job/VnBumpCommand.h"
#include "job/VnModifyCommand.h"
#include "job/VnOperation.h"
#include "job/VnOrder.h"
#include "tests/job/FormChecks.h"

namespace {

std::string list(int count, const std::string& items) {
    return intField(1, count) + items;
}

const std::string kNul(1, '\0');

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
    obj("filter_list", "filter_list",
        obj("item", "filter",
            el("name", "id", 5) + el("neg", "0", 5) + obj("fields", "field_list", "", 5) +
                el("sign", "61", 5),
            3)) +
    obj("job_id_list", "job_id_list", obj("item", "job_id", el("id", "12", 5) + el("sub_id", "3", 5), 3)) +
    obj("work_id_list", "work_id_list",
        obj("item", "work_id", el("id", "12", 5) + el("name", "f1", 5) + el("work_id", "-1", 5), 3)) +
    obj("group_list", "string_list", el("item", "a", 3) + el("item", "b", 3)) + el("restrictions", "0") +
    el("limit", "5") + el("background", "0");

const std::string kDefaultBinary = objField(1, 21, list(0, "")) + objField(2, 18, list(0, "")) +
                                   objField(3, 60, list(0, "")) + objField(4, 55, list(0, "")) +
                                   field(5, 6, "\x01") + intField(6, 0) + field(7, 6, "\x01");

const std::string kDefaultXML =
    obj("filter_list", "filter_list", "") + obj("job_id_list", "job_id_list", "") +
    obj("work_id_list", "work_id_list", "") + obj("group_list", "string_list", "") + el("restrictions", "1") +
    el("limit", "0") + el("background", "1");

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
}

TEST(VnBumpCommand, PackedFormsCopiesAndDirectionWords) {
    VnBumpCommand blank, b;
    b.copy(filled());  // from a plain command: the command part only
    b.diff(-4);
    b.direction(2);
    expectForms(b, kVersion + kFilledBinary + intField(10, -4) + intField(11, 2),
                objectXML("bump_command", kFilledXML + el("diff", "-4") + el("direction", "2")));
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
    VnModifyCommand m;
    VnJob job;
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
    VnOperation op;
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
                  obj("filter_list", "filter_list", "") +
                      obj("job_id_list", "job_id_list",
                          obj("item", "job_id", el("id", "7", 5) + el("sub_id", "-1", 5), 3)) +
                      obj("variable_id_list", "variable_id_list",
                          obj("item", "variable_id",
                              el("pid", "7", 5) + el("name", "frame", 5) + el("cls", "0", 5), 3)) +
                      el("restrictions", "0") + el("limit", "9")));

    op.filters().push(new VnFilter("user", "ann"));
    expectDeepCopies(op, [](VnOperation& other) {
        other.filters().get(0)->name("host");
        other.jobids().get(0)->subid(5);
        other.variableids().get(0)->pid(8);
    });
}

TEST(VnOrder, LockTravelsInBothForms) {
    VnOrder order;
    const std::string filters = obj("filter_list", "filter_list", "");
    order.lock("ann 42");
    expectForms(order, kVersion + objField(1, 21, list(0, "")) + strField(2, "ann 42"),
                objectXML("order", filters + el("lock", "ann 42")));
    // An element named "2" is no XML: the document is refused and the lock stays.
    EXPECT_EQ(unpackInto(order, objectXML("order", filters + el("2", "other")), true), 4);
    EXPECT_EQ(std::string(order.lock().value()), "ann 42");

    order.filters().push(new VnFilter("user", "ann"));
    expectDeepCopies(order, [](VnOrder& other) {
        other.filters().get(0)->name("host");
        other.lock("M");
    });
}
