// Reads arbitrary text, wrapped as the archive reader wraps a file, and compares the names under
// which the reader filed the texts and blocks of the top object block with a plain model of the
// numbering rule (testing/XmlNumberingModel.h). Asked are every key the model made, each
// followed by more digits, and each stripped of its digits and numbered again.

#include <cstddef>
#include <cstdint>
#include <string>

#include "testing/XmlNumberingModel.h"

namespace {

void ask(NumberingProbe& probe, const std::string& key) {
    probe.names.push_back(key);
    for (const char* more : {"0", "1", "2", "10", "11"})
        probe.names.push_back(key + more);
    std::size_t stem = key.size();
    while (stem > 0 && key[stem - 1] >= '0' && key[stem - 1] <= '9')
        --stem;
    for (const char* number : {"", "1", "2", "3", "01"})
        probe.names.push_back(key.substr(0, stem) + number);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 16 * 1024) return 0;  // the model numbers in quadratic time
    const std::string text(reinterpret_cast<const char*>(data), size);
    const ModelTree model("<pack>\n" + text + "\n</pack>");
    const ModelNode* top = model.top();
    if (!top) return 0;

    NumberingProbe probe;
    for (const auto& entry : top->texts)
        ask(probe, entry.first);
    for (const auto& entry : top->children)
        ask(probe, entry.first);
    // Refused documents (a document type, nesting too deep) are no matter here.
    if (unpackInto(probe, text, true) != 0) return 0;

    std::map<std::string, std::string> texts;
    std::map<std::string, int> children;
    probe.expectFrom(*top, texts, children);
    if (probe.texts != texts || probe.children != children) __builtin_trap();
    return 0;
}
