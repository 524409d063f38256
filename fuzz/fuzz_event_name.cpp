// Event full names both ways. Reading: the text is valid exactly when it names a category, and
// a name read back from what was written reads the same after one round (the first reading may
// lose a "-" inside a word or a negative number). Writing: an event whose words hold no "-"
// reads back from its full name with every field that its category names.

#include <cstddef>
#include <cstdint>
#include <string>

#include "job/VnEvent.h"
#include "testing/TestRecords.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void checkReading(const VnString& text) {
    const VnEvent first(text);
    check(VnEvent::isvalid(text) == (first.category() != 4));
    const VnEvent second(first.fullname());
    const VnEvent third(second.fullname());
    check(str(third.fullname()) == str(second.fullname()));
}

// The words of the input cut at "|", with every "-" dropped.
std::string word(const std::string& raw, std::size_t& pos) {
    std::string out;
    for (; pos < raw.size() && raw[pos] != '|'; ++pos)
        if (raw[pos] != '-') out += raw[pos];
    ++pos;
    return out;
}

void checkWriting(const std::string& raw) {
    const int categories[] = {0, 1, 2, 4, 5, 6, 8, 16, 32, 128, 136, 152};
    std::size_t pos = 1;
    const std::string name = word(raw, pos), label = word(raw, pos), id = word(raw, pos);
    VnEvent e;
    e.category(categories[static_cast<unsigned char>(raw[0]) % 12]);
    e.name(VnString(name.data(), int(name.size())));
    e.label(VnString(label.data(), int(label.size())));
    e.workid(VnString(id.data(), int(id.size())));
    e.subid(id.empty() ? -2 : int(id.size()));
    e.start(int(name.size()));
    e.interval(int(label.size()));

    const VnEvent back(e.fullname());
    if (e.category() == 32) return check(back.category() == 4 && back.name() == e.name());
    const std::string expected = str(e.fullname());
    check(back.category() == e.category() && str(back.fullname()) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 256 * 1024) return 0;
    const std::string raw(reinterpret_cast<const char*>(data), size);
    checkReading(VnString(raw.data(), static_cast<int>(raw.size())));
    if (!raw.empty()) checkWriting(raw);
    return 0;
}
