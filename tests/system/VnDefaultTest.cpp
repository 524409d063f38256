#include "system/VnDefault.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string text(int index) {
    const VnString value = vn_default_string(index);
    return std::string(value.value(), value.length());
}

std::string integers(std::initializer_list<int> indexes) {
    std::string out;
    for (int index : indexes)
        out += std::to_string(vn_default_int(index)) + " ";
    return out;
}

}  // namespace

TEST(VnDefault, FixedRowsAndUnknownIndexes) {
    EXPECT_EQ(text(0), "/Applications/zmr/vorn");
    for (int index : {1, 101, 301, 401, 501, 601})
        EXPECT_EQ(text(index), "/etc/vn.conf") << index;
    EXPECT_EQ(text(8) + text(111) + text(32) + text(406), "/var/spool/vorn/var/spool/vorn/tmp/tmp");
    EXPECT_EQ(text(37), text(124));
    EXPECT_EQ(text(130) + text(117) + text(123) + text(505), "\\remotelocal,supervisorroot");
    for (int index : {-1, 2, 100, 104 + 1, 610, 701, -2147483647 - 1})
        EXPECT_EQ(text(index), "") << index;

    EXPECT_EQ(integers({10, 48, 49, 113, 305, 2, 31, 44, 610, 701}),
              "50001 50000 50002 50011 8 9999 9999 524288 144 50002 ");
    EXPECT_EQ(integers({1, -5, 0, 3, 300, 702, 2147483647}), "0 0 0 0 0 0 0 ");
}

TEST(VnDefault, RelativeRowsFollowTheInstallDirectory) {
    EXPECT_EQ(text(47) + " " + text(605),
              "/Applications/zmr/vorn/public /Applications/zmr/vorn/etc/job.mail");
    EXPECT_EQ(text(112), "/Applications/zmr/vorn/types:/Applications/zmr/jobtypes");
    EXPECT_EQ(text(302), text(402));

    vn_default_set_vndir("/opt/v");
    EXPECT_EQ(text(47) + " " + text(112) + " " + text(0),
              "/opt/v/public /opt/v/types:/opt/jobtypes /Applications/zmr/vorn");
    vn_default_set_vndir("/opt/v/");
    EXPECT_EQ(text(49) + " " + text(302), "/opt/v//html /opt/v//types:/opt/jobtypes");
    vn_default_set_vndir("");
    EXPECT_EQ(text(405) + " " + text(402), "/docs /types:/jobtypes");
    vn_default_set_vndir(_vn_default_dir);

    vn_default_set_vndir(vn_default_string(0));
    EXPECT_STREQ(_vn_default_dir.value(), "/Applications/zmr/vorn");
}
