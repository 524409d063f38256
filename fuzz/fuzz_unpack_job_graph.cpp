// Reads fuzzed binary or XML data into a job graph, then compiles it. The first byte chooses
// the form: bit 0 set for XML.
//
// What was read must write a form that reads back; after one round the writing settles (hashes
// inside the node jobs write their pairs in slot order, so only the length is compared).
// Compiling gives one job per node and leaves the graph as it was; copies of the graph carry
// its nodes and links.

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/VnJobGraph.h"
#include "tests/support/TestRecords.h"

namespace {

void checkCompile(VnJobGraph& graph) {
    const std::string before = packed(graph);
    VnJobList out;
    if (graph.compile(out) != 1 || out.length() != graph.jobs().length()) __builtin_trap();
    if (packed(graph).size() != before.size()) __builtin_trap();
}

void checkCopies(VnJobGraph& graph) {
    const std::string lists = packed(graph.jobs()) + packed(graph.links());
    VnJobGraph copied(graph);
    const VnJobGraph& self = graph;
    graph = self;
    if ((packed(copied.jobs()) + packed(copied.links())).size() != lists.size()) __builtin_trap();
    if (packed(graph.jobs()) + packed(graph.links()) != lists) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 256 * 1024) return 0;
    const bool xml = (data[0] & 0x01) != 0;
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);

    VnJobGraph graph, again, third;
    unpackInto(graph, input, xml);
    if (unpackInto(again, packed(graph, xml), xml) != 0) __builtin_trap();
    const std::string second = packed(again, xml);
    if (unpackInto(third, second, xml) != 0) __builtin_trap();
    if (packed(third, xml).size() != second.size()) __builtin_trap();
    checkCompile(graph);
    checkCopies(graph);
    return 0;
}
