// Reads fuzzed binary or XML data into a job graph, then compiles it. The first byte chooses
// the form: bit 0 set for XML.
//
// What was read must write a form that reads back; after one round the writing settles in
// length (hashes inside the node jobs write their pairs in slot order). Compiling gives one job
// per node and leaves the graph as it was; copies of the graph carry its nodes and links.

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/VnJobGraph.h"
#include "testing/FuzzRecords.h"

namespace {

using fuzz::check;

void checkCompile(VnJobGraph& graph) {
    const std::string before = packed(graph);
    VnJobList out;
    check(graph.compile(out) == 1 && out.length() == graph.jobs().length());
    check(packed(graph).size() == before.size());
}

void checkCopies(VnJobGraph& graph) {
    const std::string lists = packed(graph.jobs()) + packed(graph.links());
    VnJobGraph copied(graph);
    const VnJobGraph& self = graph;
    graph = self;
    check((packed(copied.jobs()) + packed(copied.links())).size() == lists.size());
    check(packed(graph.jobs()) + packed(graph.links()) == lists);
}

void checkGraph(VnJobGraph& graph, bool) {
    checkCompile(graph);
    checkCopies(graph);
}

const fuzz::Reader kReaders[] = {fuzz::readChecked<VnJobGraph, fuzz::Settles::InLength, checkGraph>};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return fuzz::readChosen(data, size, 256 * 1024, {0x01, 0, 0}, kReaders);
}
