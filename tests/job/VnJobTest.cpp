#include "job/VnJob.h"

#include <gtest/gtest.h>
#include "tests/support/TestRecords.h"

TEST(VnJob, Builds) {
    VnJob job;
    job.name("n");
    job.children().push(new VnJob());
    job.children().get(0)->name("child");
    job.agenda().push(new VnWork());
    VnJob back, xml;
    ASSERT_EQ(unpackInto(back, packed(job)), 0);
    EXPECT_EQ(packed(back), packed(job));
    ASSERT_EQ(unpackInto(xml, packed(job, true), true), 0);
    EXPECT_EQ(packed(xml, true), packed(job, true));
    job = *job.children().get(0);
    EXPECT_EQ(std::string(job.name().value()), "child");
}
