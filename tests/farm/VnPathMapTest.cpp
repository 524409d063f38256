#include "farm/VnPathMap.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "system/VnConfigFile.h"
#include "testing/TestRecords.h"
#include "tests/support/TempDir.h"

using VnPathMapTest = TempDirTest;

TEST_F(VnPathMapTest, BothMapsInBothFormsDeepCopiesAndLoad) {
    VnPathMap map;
    map.directmap().set(new VnString("/Volumes/proj"), VnString("/proj"));
    map.logicalmap().set(new VnString("P:\\"), VnString("projects"));
    const std::string stringHash = intField(1, 1) + strField(10, "/proj") + strField(30, "/Volumes/proj");
    EXPECT_EQ(packed(map),
              kVersion + objField(1, 56, stringHash) +
                  objField(2, 56, intField(1, 1) + strField(10, "projects") + strField(30, "P:\\")));
    const std::string xml =
        objectXML("pathmap",
                  "\t<directmap>\n\t\t<object type = 'string_hash'>\n\t\t\t<key>/proj</key>\n"
                  "\t\t\t<element>/Volumes/proj</element>\n\t\t</object>\n\t</directmap>\n"
                  "\t<logicalmap>\n\t\t<object type = 'string_hash'>\n"
                  "\t\t\t<key>projects</key>\n\t\t\t<element>P:\\</element>\n"
                  "\t\t</object>\n\t</logicalmap>\n");
    EXPECT_EQ(packed(map, true), xml);
    for (bool isXML : {false, true}) {
        VnPathMap back;
        ASSERT_EQ(unpackInto(back, packed(map, isXML), isXML), 0);
        EXPECT_EQ(packed(back), packed(map)) << isXML;
    }
    VnPathMap copy(map), assigned;
    const VnPathMap& self = assigned;
    assigned.copy(map);
    assigned = self;
    map.directmap().set(new VnString("/elsewhere"), VnString("/proj"));
    EXPECT_STREQ(copy.directmap().get("/proj")->value(), "/Volumes/proj");
    EXPECT_EQ(packed(assigned, true), xml);

    spit(at("map"), "[direct]\n/proj = /Volumes/proj\n[logical]\nprojects = \"P:/proj\"\n[other]\nx = 1\n");
    EXPECT_EQ(map.load(VnString(at("map").c_str())), 1);
    EXPECT_STREQ(map.directmap().get(VnString("/proj"))->value(), "/Volumes/proj");
    EXPECT_STREQ(map.logicalmap().get(VnString("projects"))->value(), "P:/proj");
    EXPECT_EQ(map.directmap().length() + map.logicalmap().length(), 2);
    EXPECT_EQ(map.load(VnString(at("missing").c_str())) + map.load(VnString(root.c_str())), 0);
}

// load answers 1 only for a file read whole; what was read before a stop stays in the maps.
TEST_F(VnPathMapTest, LoadAnswersWhetherTheFileWasReadWhole) {
    const std::string path = at("map");
    std::string entries = "[direct]\n";
    for (int i = 0; i < 100000; ++i)
        entries += "/projects/show/shot" + std::to_string(i) + " = /Volumes/farm/shot" + std::to_string(i) + "\n";
    spit(path, entries + "[logical]\nprojects = P:/\n");
    VnPathMap map;
    EXPECT_EQ(map.load(path.c_str()), 1);
    EXPECT_EQ(map.directmap().length(), 100000);
    EXPECT_STREQ(map.directmap().get("/projects/show/shot99999")->value(), "/Volumes/farm/shot99999");
    EXPECT_EQ(map.logicalmap().length(), 1);

    // A line without "=" ends the file; what stands before it is the whole file.
    VnPathMap stray;
    spit(path, "[direct]\n/a = /b\noops\n/c = /d\n");
    EXPECT_EQ(stray.load(path.c_str()), 1);
    EXPECT_EQ(stray.directmap().length(), 1);

    // The parse stops where the sections it makes would take too much memory.
    spit(path, "[direct]\n/c = /e\n[h[1-100000]]\n[i[1-100000]]\n[logical]\nl = L\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(stray.load(path.c_str()), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: configuration text too large... skipping the rest.\n");
    EXPECT_STREQ(stray.directmap().get("/a")->value(), "/b");
    EXPECT_STREQ(stray.directmap().get("/c")->value(), "/e");
    EXPECT_EQ(stray.directmap().length() + stray.logicalmap().length(), 2);

    // A file larger than a configuration file may be is not read at all.
    spit(path, "[direct]\n/x = /y\n");
    ASSERT_EQ(truncate(path.c_str(), VnConfigFile::kMaxFileSize + 1), 0);
    EXPECT_EQ(stray.load(path.c_str()), 0);
    EXPECT_EQ(stray.directmap().get("/x"), nullptr);
}
