// Classifies, splits, compares, strips, roots and translates fuzzed paths through small fuzzed
// path maps. The input is lines: the path, a prefix (also the directory for root), then map
// entries "d key=entry" (d and D: the direct maps of the source and target host, l and L:
// their logical maps). Checks what holds for every path: kinds in range, components without
// separators, a path matching itself in every component, translate leaving the path alone.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "farm/VnPathMap.h"
#include "system/VnPath.h"
#include "testing/TestRecords.h"

namespace {

constexpr int kMaxEntries = 16;

void check(bool ok) {
    if (!ok) __builtin_trap();
}

VnString text(const std::string& s) {
    return VnString(s.data(), static_cast<int>(s.size()));
}

// Puts an entry line into the map its first character names; other lines are passed over.
void addEntry(const std::string& line, VnPathMap& from, VnPathMap& to) {
    const std::size_t equal = line.find('=');
    if (line.size() < 2 || equal == std::string::npos) return;
    VnStringHash* map = nullptr;
    switch (line[0]) {
        case 'd':
            map = &from.directmap();
            break;
        case 'D':
            map = &to.directmap();
            break;
        case 'l':
            map = &from.logicalmap();
            break;
        case 'L':
            map = &to.logicalmap();
            break;
        default:
            return;
    }
    map->set(new VnString(text(line.substr(equal + 1))), text(line.substr(2, equal - 2)));
}

void checkComponents(const VnString& path) {
    VnStringList parts;
    VnPath::split(path, parts);
    for (int i = 0; i < parts.length(); ++i) {
        const std::string part = str(*parts.get(i));
        check(!part.empty() && part.find_first_of("/\\") == std::string::npos);
    }
    check(VnPath::match(path, path) == parts.length());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string lines[2];
    VnPathMap from, to;
    std::size_t start = 0;
    for (int n = 0; start <= input.size() && n < 2 + kMaxEntries; ++n) {
        std::size_t end = input.find('\n', start);
        if (end == std::string::npos) end = input.size();
        const std::string line = input.substr(start, end - start);
        if (n < 2)
            lines[n] = line;
        else
            addEntry(line, from, to);
        start = end + 1;
    }
    const VnString path = text(lines[0]), prefix = text(lines[1]);

    VnPath p(path);
    const int kind = VnPath::analyse(path);
    check(kind >= 0 && kind <= 4 && p.pathtype() == kind);
    const std::string normal = str(VnPath::normalize(path));
    check(normal.size() == lines[0].size() && normal.find('\\') == std::string::npos);
    const std::string parent = str(VnPath::chomp(path));
    check(!parent.empty() && parent.back() == '/');
    checkComponents(path);
    check(VnPath::match(prefix, path) <= VnPath::match(prefix, prefix));
    for (int k = -1; k <= 5; ++k)
        p.strip(prefix, k);
    if (VnPath::match(prefix, path) == 0) check(p.strip(prefix, 3) == path);

    p.translate(from, to);
    check(p.value() == path);
    const int full = p.isFullPath();
    p.root(prefix);
    check(full ? p.value() == path : str(p.value()).size() >= lines[0].size() + 1);
    return 0;
}
