// Loads the input as a sectioned configuration file from a scratch file and checks what can be
// checked: each section carries its own name, the copies hold the same sections, no value keeps
// a section-name marker, and the value tokens of the input join back to it. The same file loaded
// as a path map answers alike and holds the file's "direct" and "logical" sections. Then a text
// read whole is parsed a second time into the same object under a new first header, so that the
// values of that new section read values of the sections the load made (stored again as written), and a piece of the input
// (its first line) is expanded as free text for two of the sections: a piece without "$" stays
// as it is.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "farm/VnPathMap.h"
#include "system/VnConfigFile.h"

#include "testing/ScratchDir.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

bool same(const VnString& a, const VnString& b) {
    return a.length() == b.length() && std::memcmp(a.value(), b.value(), a.length()) == 0;
}

// True when a number above 1000 stands inside nested brackets, as in "[h[1-100000]]". Such
// headers make up to 100,000 sections, which the tests cover; the fuzzer leaves them, so that
// its time goes to the grammar.
bool manySections(const std::uint8_t* data, std::size_t size) {
    int depth = 0;
    long number = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '[') ++depth;
        if (c == ']' && depth > 0) --depth;
        const bool digit = c >= '0' && c <= '9';
        number = digit && depth >= 2 ? number * 10 + (c - '0') : 0;
        if (number > 1000) return true;
    }
    return false;
}

// The file the input is written to, under a fresh scratch directory removed at exit.
class Scratch : public ScratchDir {
public:
    Scratch() : file(root + "/input.conf") {}
    std::string file;
};

// The path map took the section's options, each with its value.
void checkMap(const VnConfigFile& file, const char* name, const VnStringHash& map) {
    const VnConfig* section = file.config(name);
    VnStringList keys;
    if (section) section->labels(keys);
    check(map.length() == keys.length());
    for (int i = 0; i < keys.length(); ++i) {
        const VnString* value = map.get(*keys.get(i));
        check(value && same(*value, section->option(*keys.get(i))));
    }
}

// The file at path loaded as a path map answers as the file's load did and holds its "direct"
// and "logical" sections. Only a text that names one of them makes the path map's own work, so
// the others are not loaded twice.
void checkPathMap(const VnConfigFile& file, const VnString& path, const VnString& text, int whole) {
    const std::string_view bytes(text.value(), text.length());
    if (bytes.find("direct") == std::string_view::npos && bytes.find("logical") == std::string_view::npos)
        return;
    VnPathMap map;
    check(map.load(path) == whole);
    checkMap(file, "direct", map.directmap());
    checkMap(file, "logical", map.logicalmap());
}

// Every section of one load was made and expanded by it: no value keeps a section-name marker
// (byte 1, which the parse never reads from a file).
void checkNoMarker(const VnConfig& section) {
    VnStringList keys;
    section.labels(keys);
    for (int i = 0; i < keys.length(); ++i)
        check(!section.option(*keys.get(i)).haschar('\x01'));
}

// The input's first line, at most 1 KiB of it.
VnString firstLine(const VnString& text) {
    const char* end = static_cast<const char*>(std::memchr(text.value(), '\n', text.length()));
    const int length = end ? static_cast<int>(end - text.value()) : text.length();
    return VnString(text.value(), length < 1024 ? length : 1024);
}

// Parses the text a second time under the header "[again]" and expands the input's first line
// as free text for two of the sections the load made, chosen by the input's first and last
// bytes. A text whose load stopped at the parse's allowance is not parsed again: it would stop
// again, as slowly.
void parseAgainAndExpand(VnConfigFile& file, const VnStringList& names, const VnString& text, int whole) {
    if (whole == 1) {
        VnString again("[again]\n");
        again += text;
        file.parse(again);
        for (int i = 0; i < names.length(); ++i)
            check(file.config(*names.get(i)) != nullptr);
    }
    if (names.length() == 0) return;
    const VnString piece = firstLine(text);
    const int first = static_cast<unsigned char>(text.get(0)),
              last = static_cast<unsigned char>(text.get(text.length() - 1));
    const VnString expanded =
        file._value(*names.get(first % names.length()), *names.get(last % names.length()), piece);
    if (!piece.haschar('$')) check(same(expanded, piece));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024 || manySections(data, size)) return 0;
    static const Scratch scratch;
    std::ofstream(scratch.file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const VnString path(scratch.file.c_str());
    const VnString text(reinterpret_cast<const char*>(data), static_cast<int>(size));
    VnConfigFile file;
    const int whole = file.load(path);

    VnStringList names;
    file.keys(names);
    VnConfigHash copies = file.export_hash();
    check(copies.length() == names.length());
    for (int i = 0; i < names.length(); ++i) {
        const VnConfig* section = file.config(*names.get(i));
        check(section && same(section->name(), *names.get(i)) && copies.get(*names.get(i)));
        checkNoMarker(*section);
    }

    VnStringList tokens;
    VnConfigFile::stringtokenize(text, tokens);
    check(same(tokens.join(""), text));
    VnConfigFile::tokenize(text, tokens);

    checkPathMap(file, path, text, whole);
    parseAgainAndExpand(file, names, text, whole);
    return 0;
}
