#include "system/VnPath.h"

#include <gtest/gtest.h>

#include <string>

#include "farm/VnPathMap.h"
#include "testing/TestRecords.h"

namespace {

std::string components(const char* path) {
    VnStringList list;
    list.push(new VnString("kept"));
    VnPath::split(path, list);
    return str(list.join("|"));
}

std::string translated(const char* path, VnPathMap& from, VnPathMap& to) {
    return str(VnPath(path).translate(from, to));
}

void put(VnStringHash& map, const char* key, const char* entry) {
    map.set(new VnString(entry), VnString(key));
}

}  // namespace

TEST(VnPath, KindsAndFullPaths) {
    const struct {
        const char* path;
        int kind;
        int full;
    } cases[] = {
        {"", 0, 0},     {"\\\\s", 1, 1}, {"\\\\", 2, 0},         {"C:\\x", 2, 1}, {"C:/x", 2, 1},
        {"a\\b", 2, 0}, {"/usr", 3, 1},  {"host:/export", 4, 1}, {"a/b:c", 0, 0}, {"ab", 0, 0},
        {"C:", 0, 0},   {"C:x", 4, 1},   {"1:/x", 4, 1},         {"abc", 0, 0},
    };
    for (const auto& c : cases) {
        VnPath path{VnString(c.path)};
        EXPECT_EQ(VnPath::analyse(c.path), c.kind) << c.path;
        EXPECT_EQ(path.pathtype() * 10 + path.isFullPath(), c.kind * 10 + c.full) << c.path;
    }
    std::string names;
    for (const char* p : {"x", "\\\\s", "a\\b", "/", "h:x"})
        names += str(VnPath(p).pathtypestring()) + " ";
    EXPECT_EQ(names + str(VnPath().pathtypestring()), "unknown unc dos unix nfs unknown");
}

TEST(VnPath, RootChompSplitMatchAndNormalize) {
    VnPath scene("scenes/a.ma"), trailing("x"), empty("x"), absolute("/abs"), dos("C:\\x");
    scene.root("/proj");
    trailing.root("/proj/");
    empty.root("");
    absolute.root("/proj");
    dos.root("/proj");
    EXPECT_EQ(str(scene.value()) + std::to_string(scene.pathtype()), "/proj/scenes/a.ma3");
    EXPECT_EQ(str(trailing.value()) + " " + str(empty.value()) + " " + str(absolute.value()) + " " +
                  str(dos.value()),
              "/proj/x /x /abs C:\\x");

    std::string parents;
    for (const char* p : {"/a/b/c", "/a/b/c/", "a/b", "c", "/c", "/", "", "//a"})
        parents += str(VnPath::chomp(p)) + " ";
    EXPECT_EQ(parents, "/a/b/ /a/b/ a/ / / / / // ");

    EXPECT_EQ(components("//a\\\\b//\\"), "kept|a|b");
    EXPECT_EQ(components(""), "kept");
    EXPECT_EQ(VnPath::match("/x/b", "/a/b/c"), 1);  // a differing position does not end the count
    EXPECT_EQ(VnPath::match("/a/b", "a\\b\\c"), 2);
    EXPECT_EQ(VnPath::match("/a/b/c/d", "/a/b/c") + VnPath::match("", "/a"), 0);
    EXPECT_EQ(str(VnPath::normalize("\\\\srv\\a/b")), "//srv/a/b");
}

TEST(VnPath, StripRebuildsWithTheSeparatorOfAKind) {
    VnPath path("/a/b/c");
    EXPECT_EQ(str(path.strip("/a", 3)) + " " + str(path.strip("/a", 1)) + " " + str(path.strip("/a", 7)),
              "/b/c \\b\\c bc");
    EXPECT_EQ(str(path.strip("/z/y/x/w", 3)), "/a/b/c");  // no match: unchanged
    EXPECT_EQ(str(path.strip("a/b/c", 3)), "");
}

TEST(VnPath, TranslateThroughTheThreeStages) {
    VnPathMap none, mac, win;
    put(mac.directmap(), "/proj", "/proj");
    put(win.directmap(), "/proj", "\\\\srv\\proj");
    put(mac.logicalmap(), "renders", "/Volumes/renders");
    put(win.logicalmap(), "renders", "R:\\renders");

    EXPECT_EQ(
        translated("x\\y", mac, win) + " " + translated("a:b", none, none) + " " + translated("", mac, win),
        "x/y a:b ");  // only normalised
    // Stage 1: the source's direct names; the target's entry, the rest with its separator.
    EXPECT_EQ(translated("/proj/shots/a.ma", mac, win), "\\\\srv\\proj\\shots\\a.ma");
    EXPECT_EQ(translated("/proj/shots/a.ma", mac, none), "/proj/shots/a.ma");  // target lacks it: no stage 2
    // Stage 2: the target's direct names; the rest is what follows the name in the path.
    EXPECT_EQ(translated("/proj/shots/a.ma", none, win), "\\\\srv\\proj\\shots\\a.ma");
    put(none.directmap(), "/proj", "/Volumes/proj");
    EXPECT_EQ(translated("/proj/shots/a.ma", mac, none), "/Volumes/proj/shots/a.ma");
    // Stage 3: the source's logical entries compared with the path.
    EXPECT_EQ(translated("/Volumes/renders/f1.exr", mac, win), "R:\\renders\\f1.exr");
    EXPECT_EQ(translated("/tmp/f1.exr", mac, win), "/tmp/f1.exr");
    EXPECT_EQ(translated("/Volumes/renders/f1.exr", mac, none),
              "/Volumes/renders/f1.exr");  // target lacks it
}

TEST(VnPath, LongPathsStayProportional) {
    std::string text;
    for (int i = 0; i < 500000; ++i)
        text += "/dir" + std::to_string(i % 10);
    const VnString long_path(text.data(), static_cast<int>(text.size()));
    VnPath path(long_path);
    VnPathMap from, to;
    put(from.directmap(), "/dir0", "/dir0");
    put(to.directmap(), "/dir0", "/e");
    EXPECT_EQ(path.pathtype(), 3);
    EXPECT_EQ(VnPath::chomp(long_path).length(), long_path.length() - 4);
    EXPECT_EQ(VnPath::match(long_path, long_path), 500000);
    EXPECT_EQ(path.translate(from, to).length(), long_path.length() - 3);
    EXPECT_EQ(VnPath::normalize(long_path).length(), long_path.length());
}
