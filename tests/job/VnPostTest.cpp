#include "job/VnPost.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/job/FormChecks.h"

namespace {

VnPost filled() {
    VnPost p;
    p.pid(12);
    p.id(3);
    p.port(4000);
    p.triggers("done-job-a && x<y");
    p.address(VnAddress(0x0A000005));
    return p;
}

std::vector<Line> linesOf(int pid, int id, int port, const char* triggers, int address) {
    return {intLine(2, "pid", pid), intLine(1, "id", id), intLine(4, "port", port),
            strLine(5, "triggers", triggers), valueLine(3, "address", 13, "address", address)};
}

}  // namespace

TEST(VnPost, PackedFormsAndCopies) {
    VnPost blank, p = filled();
    expectForms(blank, "post", linesOf(-1, -1, -1, "", 0));
    expectForms(p, "post", linesOf(12, 3, 4000, "done-job-a && x<y", 0x0A000005));
    expectCopies(p);
    VnPostList list;
    EXPECT_EQ(str(list.typeXML()) + std::to_string(list.type()), "post_list134");
}

TEST(VnPost, ByteTriggers) {
    VnPost p = filled();
    p.triggers(p.triggers().value() + 5, 6);  // from its own text
    EXPECT_EQ(str(p.triggers()), "job-a ");
    p.triggers("ab\0c", 4);
    std::string emptied = str(p.triggers()) + "|";
    p.triggers("abc", 0);
    emptied += str(p.triggers()) + "|";
    p.triggers("x");
    p.triggers(nullptr, 3);
    EXPECT_EQ(emptied + str(p.triggers()), std::string("ab\0c||", 6));
}

TEST(VnPost, TurnsIntoAPostCallback) {
    VnCallback expected;  // defaults but for pid, triggers, language and code
    expected.pid(12);
    expected.triggers("done-job-a && x<y");
    expected.language(6);
    expected.code("10.0.0.5:4000");
    VnCallback made = filled().callback();
    EXPECT_EQ(packed(made), packed(expected));
    EXPECT_EQ(str(made.languagestring()) + " " + str(VnPost().callback().code()), "post 0.0.0.0:-1");
}
