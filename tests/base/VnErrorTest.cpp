#include "base/VnError.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "testing/TestRecords.h"

namespace {

// Every text, with "ERROR" set to "E" and "VERSION" to "V"; numbers without a text of their own last.
// clang-format off
const struct {
    int number;
    const char* text;
} kTexts[] = {
    {1, "unable to establish key exchange"}, {2, "openssl error: E"},
    {3, "couldn't use nonactive connection"}, {4, "unable to compress input data"},
    {5, "tcp send socket timed out"}, {6, "couldn't imprint connection"},
    {7, "couldn't write compressed length to header"}, {8, "couldn't write length to header"},
    {9, "raw tcp send socket timed out"}, {10, "couldn't open udp socket"}, {11, "udp bind fail: E"},
    {12, "unable to resolve host name"}, {13, "udp send fail: E"}, {14, "can't allocate memory"},
    {15, "tcp receive socket timed out"}, {16, "blank message"}, {17, "tcp receive fail: E"},
    {18, "tcp comm version doesn't match - version: V"}, {19, "couldn't read tcp comm length: E"},
    {20, "no data in comm"}, {21, "unable to uncompress data"}, {22, "openssl tcp send socket timed out"},
    {23, "openssl tcp receive fail: E"}, {24, "openssl tcp comm version doesn't match - version: VERSION"},
    {25, "couldn't read openssl tcp comm length: E"}, {26, "no data in comm"},
    {27, "couldn't allocate enough memory for udp buffer"}, {28, "udp receive socket timed out"},
    {30, "blank message"}, {31, "udp comm version doesn't match - version: V"}, {32, "host name unspecified"},
    {33, "unable to set send socket timeout"}, {34, "unable to set receive socket timeout"},
    {35, "unable to connect to host"}, {37, "unable to connect to host: E"}, {38, "couldn't open tcp socket"},
    {39, "couldn't locate entry for udp protocol."}, {40, "couldn't locate entry for tcp protocol."},
    {1039, "select fail: E"}, {1040, "problem accepting connection"}, {1041, "couldn't open udp socket"},
    {1042, "unable to determine local host name"}, {1043, "couldn't open tcp socket"},
    {1044, "unable to set send socket timeout"}, {1045, "unable to set receive socket timeout"},
    {1046, "unable to obtain socket info - E"}, {1047, "unable to listen on socket"},
    {1048, "udp bind fail: E"}, {1049, "openssl tcp bind fail: E"}, {1050, "tcp bind fail: E"},
    {1051, "connection rejected - too many connections"}, {2051, "unspecifed error"},
    {2052, "ERROR: data returned blank"}, {2054, "access denied"}, {3055, "message invalid"},
    {3056, "no jobs specifed to submit."}, {3057, "supervisor not accepting jobs."},
    {3058, "job submission denied - no authorization."}, {3059, "job submission denied - no password."},
    {3060, "job submission denied - E"}, {3061, "couldn't find host(s)."}, {3063, "couldn't find jobs(s)."},
    {3064, "job submission denied - must be administrator to use elite job flag."},
    {4062, "Unable to launch job."}, {4063, "Job data corrupt."}, {4064, "Worker auto-mount disabled."},
    {4065, "Worker unable to satisfy requirements."}, {4066, "Worker no cpus available."},
    {4067, "Account doesn't exist."}, {4068, "Worker already processing new job."},
    {4069, "job not assigned."}, {4070, "Unable to login to windows."},
    {4071, "Drive is already mounted on this host."}, {100000, "E"}, {0, "general error"},
    {-1, "general error"}, {29, "general error"}, {36, "general error"}, {2053, "general error"},
    {3062, "general error"}, {100001, "general error"},
};
// clang-format on
}  // namespace

TEST(VnError, TextsWithPlaceholdersFilled) {
    ASSERT_EQ(std::size(kTexts), 81u);
    VnError e;
    e.set("ERROR", "E");
    e.set("VERSION", "V");
    for (const auto& entry : kTexts) {
        e.value(entry.number);
        EXPECT_EQ(str(e.value()), entry.text) << entry.number;
    }
    EXPECT_EQ(str(VnError(11).value()), "udp bind fail: ");

    VnError source(18);
    source.set("VERSION", "3");
    e = source;  // the number, and the values in place of the old ones
    e.copy(static_cast<const VnError&>(e));
    EXPECT_EQ(str(VnError(e).value()), "tcp comm version doesn't match - version: 3");
    e.value(100000);
    EXPECT_EQ(str(e.value()), "");  // "ERROR" went with the old values
}

TEST(VnError, PackedFormsByteForByte) {
    VnError e(18);
    e.set("VERSION", "3");
    EXPECT_EQ(packed(e), std::string("\0\0\0\1"
                                     "\0\1\0\1\0\0\0\x12"            // tag 1, int 18
                                     "\0\2\0\4\0\0\0\x62\0\0\0\x2c"  // tag 2, macro, 44 bytes
                                     "\0\1\0\4\0\0\0\x38\0\0\0\x20"  // tag 1, string_hash, 32 bytes
                                     "\0\1\0\1\0\0\0\1\0\x0a\0\3\0\0\0\7VERSION\0\x1e\0\3\0\0\0\1"
                                     "3",
                                     68));
    VnError back, fromXML;
    ASSERT_EQ(unpackInto(back, packed(e)), 0);
    EXPECT_EQ(str(back.value()), "tcp comm version doesn't match - version: 3");

    e.value(3060);
    e.set("ERROR", "a < b & c");
    const std::string document = packed(e, true);
    EXPECT_EQ(document,
              "<version>1</version>\n<object type = 'err'>\n\t<number>3060</number>\n\t<values>\n"
              "\t\t<object type = 'macro'>\n\t\t\t<value>\n\t\t\t\t<object type = 'string_hash'>\n"
              "\t\t\t\t\t<key>VERSION</key>\n\t\t\t\t\t<element>3</element>\n"
              "\t\t\t\t\t<key>ERROR</key>\n\t\t\t\t\t<element>a &lt; b &amp; c</element>\n"
              "\t\t\t\t</object>\n\t\t\t</value>\n\t\t</object>\n\t</values>\n</object>");
    ASSERT_EQ(unpackInto(fromXML, document, true), 0);
    EXPECT_EQ(str(fromXML.value()), "job submission denied - a < b & c");
}

TEST(VnOldError, CarriesItsText) {
    VnOldError old(VnString("lost")), back, fromXML;
    const std::string bytes = packed(old), document = packed(old, true);
    EXPECT_EQ(bytes, std::string("\0\0\0\1\0\1\0\3\0\0\0\4lost", 16));
    EXPECT_EQ(document, "<version>1</version>\n<object type = 'error'>\n\t<value>lost</value>\n</object>");
    ASSERT_EQ(unpackInto(back, bytes), 0);
    ASSERT_EQ(unpackInto(fromXML, document, true), 0);
    EXPECT_EQ(str(back.value()) + str(fromXML.value()), "lostlost");
}

TEST(FatalError, WritesOneLineAndExitsWithOne) {
    EXPECT_EXIT(FATALERROR(42), ::testing::ExitedWithCode(1), "^Error: 42\n$");
    EXPECT_EXIT(FATALERROR("lost"), ::testing::ExitedWithCode(1), "^OldError: lost\n$");
    EXPECT_EXIT(FATALERROR(static_cast<char*>(nullptr)), ::testing::ExitedWithCode(1), "^OldError: \n$");
    EXPECT_EXIT(FATALERROR(VnString("vs")), ::testing::ExitedWithCode(1), "^OldError: vs\n$");
}
