#include "job/VnJobGraph.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/job/FormChecks.h"

namespace {

VnJob labelled(const char* label) {
    VnJob job;
    job.label(label);
    return job;
}

void addNode(VnJobGraph& graph, const VnJob& job) {
    VnJobNode* node = new VnJobNode();
    node->job() = job;
    graph.jobs().push(node);
}

void addLink(VnJobGraph& graph, const char* start, const char* end) {
    VnJobLink* link = new VnJobLink();
    link->startlabel(start);
    link->endlabel(end);
    graph.links().push(link);
}

// The eleven text fields that a graph and a job share, under their common tags, all of one value.
std::string texts(const std::string& value) {
    std::string out;
    for (int tag : {9, 8, 5, 38, 14, 30, 34, 36, 37, 33, 28})
        out += strField(tag, value);
    return out;
}

// Each compiled job as "label:dependency:subjob status code".
std::string summary(const VnJobList& jobs) {
    std::string out;
    for (int i = 0; i < jobs.length(); ++i) {
        const VnJob& j = *jobs.get(i);
        out += str(j.label()) + ":" + str(j.dependency()) + ":" +
               std::to_string(j.subjobstatus().integervalue()) + " ";
    }
    return out;
}

}  // namespace

TEST(VnJobGraph, PackedFormsByteForByte) {
    VnJobGraph graph;
    VnJob job = labelled("a<");
    VnJobNode* node = new VnJobNode("ignored");
    node->x(3);
    node->y(-4);
    node->job() = job;
    graph.jobs().push(node);
    addLink(graph, "a<", "b");
    graph.priority(7);
    graph.user("u");
    graph.pgrp(12);
    graph.flagsstring("4");

    const Line nodes = {
        "",
        objField(2, VN_TYPE_JOB_NODE_LIST,
                 intField(1, 1) + objField(10, VN_TYPE_JOB_NODE,
                                           intField(1, 3) + intField(2, -4) +
                                               objField(3, VN_TYPE_JOB, packed(job).substr(4)))),
        obj("job_list", "job_node_list",
            obj("item", "job_node",
                el("x", 3, 5) + el("y", -4, 5) + "\t\t\t\t\t<job>\n" + block(job, 6) + "\t\t\t\t\t</job>\n",
                3))};
    const Line links = {
        "",
        objField(1, VN_TYPE_JOB_LINK_LIST,
                 intField(1, 1) + objField(10, VN_TYPE_JOB_LINK, strField(1, "a<") + strField(2, "b"))),
        obj("job_link_list", "job_link_list",
            obj("item", "job_link", el("start", "a&lt;", 5) + el("end", "b", 5), 3))};
    // clang-format off
    const std::vector<Line> lines = {nodes, links, intLine(4, "priority", 7), intLine(31, "local_order", 0),
        intLine(32, "global_order", 0), strLine(5, "user", "u"), strLine(38, "domain", ""),
        strLine(8, "name", ""), intLine(12, "cpus", 0), strLine(9, "cluster", ""),
        strLine(14, "requirements", ""), strLine(30, "reservations", ""), strLine(34, "restrictions", ""),
        strLine(36, "groups", ""), strLine(37, "hosts", ""), strLine(33, "queue", ""),
        intLine(26, "flags", 4), strLine(28, "account", ""), intLine(39, "pgrp", 12)};
    // clang-format on
    expectForms(graph, "job_graph", lines);
    VnJobGraph back;
    ASSERT_EQ(unpackInto(back, xmlOf("job_graph", lines), true), 0);
    EXPECT_EQ(packed(back, true), xmlOf("job_graph", lines));
    EXPECT_EQ(str(graph.flagsstring()), "grid");
}

TEST(VnJobGraph, CompileFillsUnsetFieldsAndWritesDependencies) {
    VnJobGraph graph;
    graph.cpus(-5);
    EXPECT_EQ(graph.cpus(), 1);
    // The scheduling numbers and the eleven texts that a graph fills in; pgrp 77 is never applied.
    const std::string numbers =
        intField(4, 9) + intField(31, 2) + intField(32, 3) + intField(26, 8) + intField(12, 3);
    ASSERT_EQ(unpackInto(graph, kVersion + texts("g") + numbers + intField(39, 77)), 0);

    VnJob own, blank, expected;
    ASSERT_EQ(unpackInto(own, kVersion + texts("own") + intField(4, 5) + intField(26, 4) + strField(27, "a")),
              0);
    // Orders below 0 and cpus below 1 arrive only this way.
    ASSERT_EQ(unpackInto(blank, kVersion + intField(31, -1) + intField(32, -4) + intField(12, 0) +
                                    strField(27, "b")),
              0);
    ASSERT_EQ(unpackInto(expected, kVersion + texts("g") + numbers + strField(27, "b")), 0);
    VnJob held = labelled("c");
    held.dependency("done-job-x");
    held.subjobstatus(VnStatus(VnStatus::PAUSED));
    for (const VnJob* job : {&own, &blank, &held})
        addNode(graph, *job);
    addNode(graph, labelled("d"));
    addLink(graph, "a", "b");
    addLink(graph, "a", "c");
    addLink(graph, "zz", "c");  // a start that names no node still counts
    addLink(graph, "a", "c");
    addLink(graph, "c", "nobody");  // an end that names no node is passed over
    addLink(graph, "d", "D");

    const std::string before = packed(graph);
    VnJobList out;
    out.push(new VnJob(labelled("kept")));
    EXPECT_EQ(graph.compile(out), 1);
    EXPECT_EQ(packed(graph), before);
    ASSERT_EQ(out.length(), 5);
    EXPECT_EQ(summary(out),
              "kept::0 a::0 b:done-job-a:272 c:done-job-a and done-job-zz and done-job-a:272 d::0 ");
    EXPECT_EQ(packed(*out.get(1)), packed(own));  // nothing filled in, nothing else touched
    out.get(2)->dependency("");
    out.get(2)->subjobstatus(VnStatus());
    EXPECT_EQ(packed(*out.get(2)), packed(expected));  // every unset field filled, nothing else

    // Without links the jobs keep their own dependencies and statuses.
    graph.links().clear();
    VnJobList plain;
    graph.compile(plain);
    EXPECT_EQ(summary(plain), "a::0 b::0 c:done-job-x:293 d::0 ");

    // Shared and empty labels, and a cycle: every job whole, in node order; the later job of a label
    // takes the dependency.
    VnJobGraph shared;
    for (const char* label : {"", "s", "", "s", "p", "q"})
        addNode(shared, labelled(label));
    addLink(shared, "x", "");
    addLink(shared, "", "s");
    addLink(shared, "p", "q");
    addLink(shared, "q", "p");
    VnJobList sharedOut;
    shared.compile(sharedOut);
    EXPECT_EQ(summary(sharedOut),
              "::0 s::0 :done-job-x:272 s:done-job-:272 p:done-job-q:272 q:done-job-p:272 ");
}

TEST(VnJobGraph, CopiesTakeNodesAndLinks) {
    VnJobGraph source;
    VnJobNode* node = new VnJobNode();
    node->x(-8);
    node->y(9);
    node->job() = labelled("n");
    source.jobs().push(node);
    addLink(source, "m", "n");
    source.priority(4);
    source.name("graph");

    VnJobNode named("x"), plain;
    VnJobLink namedLink("x"), plainLink;
    EXPECT_EQ(packed(namedLink) + packed(named), packed(plainLink) + packed(plain));  // the text stays out
    EXPECT_EQ(packed(plain).substr(0, 20), kVersion + intField(1, 0) + intField(2, 0));

    // The graph-wide values are no part of a copy: a new graph has the defaults, an old one keeps its own.
    VnJobGraph copied(source), target;
    target.priority(6);
    target.name("target");
    target.jobs().push(new VnJobNode());
    target = source;
    target.copy(target);
    const std::string lists = packed(source.jobs()) + packed(source.links());
    EXPECT_EQ(packed(copied.jobs()) + packed(copied.links()) + packed(target.jobs()) + packed(target.links()),
              lists + lists);
    EXPECT_EQ(std::to_string(copied.priority()) + str(copied.name()) + std::to_string(target.priority()) +
                  str(target.name()),
              "-16target");
}

// A graph of some megabytes reads back and compiles; the compiled dependency gathers every link.
TEST(VnJobGraph, LargeGraphReadsAndCompiles) {
    VnJobGraph graph;
    for (int i = 0; i < 500; ++i)
        addNode(graph, labelled(std::to_string(i).c_str()));
    for (int i = 0; i < 20000; ++i)
        addLink(graph, std::to_string(i % 500).c_str(), "499");
    const std::string document = packed(graph, true);
    ASSERT_GT(document.size(), 3u << 20);
    VnJobGraph back;
    ASSERT_EQ(unpackInto(back, document, true), 0);
    VnJobList out;
    back.compile(out);
    ASSERT_EQ(out.length(), 500);
    EXPECT_EQ(out.get(499)->dependency().length(), 20000 * 14 - 5 + 40 * (10 + 90 * 2 + 400 * 3));
}
