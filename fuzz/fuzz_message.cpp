// Reads a message whose content is of any class: the input's first byte is the class number
// and the rest the content's fields. The user name written after the content is always read,
// and a content that was made is of the class that its field names.

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/VnMessage.h"
#include "testing/TestRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1 || size > 1 << 20) return 0;
    const int number = data[0];
    const std::string fields(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string bytes = kVersion + intField(1, 7) + objField(3, number, fields) + strField(2, "user");
    VnMessage message;
    if (unpackInto(message, bytes) != 0) __builtin_trap();
    if (message.tag() != 7 || std::string(message.user().value()) != "user") __builtin_trap();
    if (message.content() != nullptr && message.content()->type() != number) __builtin_trap();

    // What was read packs and reads back with a content of the same class.
    VnMessage again;
    if (unpackInto(again, packed(message)) != 0) __builtin_trap();
    if ((again.content() == nullptr) != (message.content() == nullptr)) __builtin_trap();
    return 0;
}
