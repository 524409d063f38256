#include "job/VnCommand.h"

#include <gtest/gtest.h>

#include <string>

#include "job/VnBumpCommand.h"
#include "job/VnModifyCommand.h"
#include "tests/support/TestRecords.h"

namespace {

std::string tabs(int depth) {
    return std::string(static_cast<std::size_t>(depth), '\t');
}

std::string el(int depth, const std::string& name, const std::string& value) {
    return tabs(depth) + "<" + name + ">" + value + "</" + name + ">\n";
}

// An element holding a nested object block.
std::string obj(int depth, const std::string& name, const std::string& type, const std::string& inner) {
    return tabs(depth) + "<" + name + ">\n" + tabs(depth + 1) + "<object type = '" + type + "'>\n" + inner +
           tabs(depth + 1) + "</object>\n" + tabs(depth) + "</" + name + ">\n";
}

std::string list(int count, const std::string& items) {
    return intField(1, count) + items;
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
                              strField(1, "id") + field(3, 6, std::string(1, '\0')) +
                                  objField(4, 23, intField(1, 0)) + field(5, 2, "=")))) +
    objField(2, 18, list(1, objField(10, 19, intField(1, 12) + intField(2, 3)))) +
    objField(3, 60, list(1, objField(10, 59, intField(1, 12) + strField(2, "f1") + intField(3, -1)))) +
    objField(4, 55, list(2, strField(10, "a") + strField(10, "b"))) + field(5, 6, std::string(1, '\0')) +
    intField(6, 5) + field(7, 6, std::string(1, '\0'));

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

TEST(VnCommand, PackedFormsByteForByte) {
    VnCommand blank, c = filled();
    EXPECT_EQ(packed(blank), kVersion + kDefaultBinary);
    EXPECT_EQ(packed(blank, true), objectXML("command", kDefaultXML));
    EXPECT_EQ(packed(c), kVersion + kFilledBinary);
    EXPECT_EQ(packed(c, true), objectXML("command", kFilledXML));

    VnCommand back, fromXML;
    ASSERT_EQ(unpackInto(back, kVersion + kFilledBinary), 0);
    ASSERT_EQ(unpackInto(fromXML, objectXML("command", kFilledXML), true), 0);
    EXPECT_EQ(packed(back), kVersion + kFilledBinary);
    EXPECT_EQ(packed(fromXML), kVersion + kFilledBinary);
}

TEST(VnCommand, CopiesShareNothing) {
    VnCommand c = filled();
    VnCommand copied(c), assigned, viaCopy;
    assigned = c;
    viaCopy.groups().push(new VnString("old"));  // replaced, not kept
    viaCopy.copy(c);
    for (VnCommand* other : {&copied, &assigned, &viaCopy}) {
        EXPECT_EQ(packed(*other), kVersion + kFilledBinary);
        other->filters().get(0)->name("x");
        other->jobids().get(0)->id(1);
        other->workids().get(0)->name("g");
        *other->groups().get(0) = "z";
    }
    const VnCommand& same = c;
    c = same;
    c.copy(same);
    EXPECT_EQ(packed(c), kVersion + kFilledBinary);
}

TEST(VnCommand, ManyGroupsReadBackFromXML) {
    VnCommand c;
    for (int i = 0; i < 200000; ++i)
        c.groups().push(new VnString("group"));
    const std::string text = packed(c, true);
    ASSERT_GT(text.size(), 3000000u);
    VnCommand back;
    ASSERT_EQ(unpackInto(back, text, true), 0);
    EXPECT_EQ(back.groups().length(), 200000);
}

TEST(VnBumpCommand, PackedFormsCarryDiffAndDirection) {
    VnBumpCommand blank;
    EXPECT_EQ(packed(blank), kVersion + kDefaultBinary + intField(10, 0) + intField(11, 0));
    EXPECT_EQ(packed(blank, true),
              objectXML("bump_command", kDefaultXML + el(1, "diff", "0") + el(1, "direction", "0")));

    VnBumpCommand b;
    b.copy(filled());  // from a plain command: the command part only
    b.diff(-4);
    b.direction(2);
    const std::string binary = kVersion + kFilledBinary + intField(10, -4) + intField(11, 2);
    const std::string xml =
        objectXML("bump_command", kFilledXML + el(1, "diff", "-4") + el(1, "direction", "2"));
    EXPECT_EQ(packed(b), binary);
    EXPECT_EQ(packed(b, true), xml);

    VnBumpCommand back, fromXML;
    ASSERT_EQ(unpackInto(back, binary), 0);
    ASSERT_EQ(unpackInto(fromXML, xml, true), 0);
    EXPECT_EQ(packed(back), binary);
    EXPECT_EQ(packed(fromXML), binary);
}

TEST(VnBumpCommand, CopiesAndDirectionWords) {
    VnBumpCommand b;
    b.copy(filled());
    b.diff(3);
    b.direction(1);
    const std::string before = packed(b);
    VnBumpCommand copied(b), assigned, viaCopy;
    assigned = b;
    viaCopy.copy(b);
    EXPECT_EQ(packed(copied) + packed(assigned) + packed(viaCopy), before + before + before);
    copied.jobids().get(0)->id(99);
    EXPECT_EQ(packed(b), before);

    VnBumpCommand partial;
    partial.diff(7);
    partial.copy(static_cast<const VnCommand&>(b));  // leaves diff and direction
    EXPECT_EQ(partial.diff() * 10 + partial.direction(), 70);

    std::string words;
    for (int d : {0, 1, 2, 3, -1}) {
        b.direction(d);
        words += std::string(b.directionstring().value()) + "|";
    }
    EXPECT_EQ(words, "|top|bottom|||");
}

namespace {

VnModifyCommand filledModify() {
    VnModifyCommand m;
    m.VnCommand::copy(filled());
    VnJob job;
    job.name(VnString("shot"));
    job.priority(5);
    job.agenda().push(new VnWork());
    m.job(job);
    m.fields().push(new VnField(VnString("priority")));
    m.fields().push(new VnField(VnString("name")));
    return m;
}

// The job's own packed form, without its version word.
std::string jobBytes(const VnJob& job) {
    VnJob copy(job);
    return packed(copy).substr(4);
}

std::string fieldBytes(const std::string& name) {
    return objField(10, 22, strField(1, name) + field(2, 2, std::string(1, '\0')));
}

}  // namespace

TEST(VnModifyCommand, JobAndFieldsTravelOnlyInBinary) {
    VnModifyCommand blank;
    EXPECT_EQ(packed(blank),
              kVersion + kDefaultBinary + objField(10, 1, jobBytes(VnJob())) + objField(11, 23, list(0, "")));
    EXPECT_EQ(packed(blank, true), objectXML("command", kDefaultXML));

    VnModifyCommand m = filledModify();
    const std::string binary = kVersion + kFilledBinary + objField(10, 1, jobBytes(m.job())) +
                               objField(11, 23, list(2, fieldBytes("priority") + fieldBytes("name")));
    EXPECT_EQ(packed(m), binary);
    EXPECT_EQ(packed(m, true), objectXML("command", kFilledXML));

    VnModifyCommand back;
    ASSERT_EQ(unpackInto(back, binary), 0);
    EXPECT_EQ(packed(back), binary);

    // From XML only the command part arrives; the job and field names stay the target's.
    VnModifyCommand target;
    VnJob kept;
    kept.name(VnString("kept"));
    target.job(kept);
    target.fields().push(new VnField(VnString("label")));
    const std::string before = packed(target);
    ASSERT_EQ(unpackInto(target, objectXML("command", kFilledXML), true), 0);
    EXPECT_EQ(packed(target), kVersion + kFilledBinary + before.substr(4 + kDefaultBinary.size()));
}

TEST(VnModifyCommand, CopiesShareNothing) {
    VnModifyCommand m = filledModify();
    const std::string before = packed(m);
    VnModifyCommand copied(m), assigned, viaCopy;
    assigned = m;
    viaCopy.fields().push(new VnField(VnString("old")));  // replaced, not kept
    viaCopy.copy(m);
    for (VnModifyCommand* other : {&copied, &assigned, &viaCopy}) {
        EXPECT_EQ(packed(*other), before);
        other->fields().get(0)->value("label");
        other->groups().get(0)->copy("z", 1);
        VnJob changed(other->job());
        changed.agenda().get(0)->name("f9");
        other->job(changed);
    }
    const VnModifyCommand& same = m;
    m = same;
    m.copy(same);
    EXPECT_EQ(packed(m), before);
}
