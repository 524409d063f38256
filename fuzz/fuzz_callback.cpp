// Callbacks over arbitrary bytes. The text as trigger expression gives only events whose
// category has a word, each full name once. The text as ready state gives pairs whose values
// are one byte and whose names hold no blank, never more pairs than the text has room for.
// The bytes as a packed callback list, binary and XML, read into a list that writes a form
// which reads back and settles after one round.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "job/VnCallback.h"
#include "testing/TestRecords.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void checkTriggers(const VnString& text) {
    VnCallback callback;
    callback.triggers(text);
    VnEventList events;
    callback.triggers(events);
    std::set<std::string> names;
    for (int i = 0; i < events.length(); ++i) {
        const VnEvent* event = events.get(i);
        check(event && event->category() != 4);
        names.insert(str(event->fullname()));
    }
    check(names.size() <= static_cast<std::size_t>(events.length()));
}

void checkReady(const VnString& text) {
    VnCallback callback;
    callback.ready(text);
    VnStringHash pairs;
    callback.ready(pairs);
    check(pairs.length() <= (text.length() + 1) / 2);
    VnStringList keys;
    pairs.copykeys(keys);
    for (int i = 0; i < keys.length(); ++i) {
        check(!keys.get(i)->haschar(' '));
        check(pairs.get(*keys.get(i))->length() == 1);
    }
}

void checkUnpack(const std::string& input, bool xml) {
    VnCallbackList list, again, third;
    unpackInto(list, input, xml);
    const std::string first = packed(list, xml);
    check(unpackInto(again, first, xml) == 0);
    const std::string second = packed(again, xml);
    check(unpackInto(third, second, xml) == 0 && packed(third, xml) == second);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const VnString text(input.data(), static_cast<int>(input.size()));
    checkTriggers(text);
    checkReady(text);
    checkUnpack(input, false);
    checkUnpack(input, true);
    return 0;
}
