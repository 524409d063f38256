// Reads fuzzed bytes as a TCP frame and the message inside it. A message that was read frames
// again into a frame that reads back to the same packed message.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/VnDebug.h"
#include "net/VnConnection.h"

namespace {

std::string packedForm(VnMessage& message) {
    message.pack();
    return std::string(message.packContents(), static_cast<std::size_t>(message.packSize()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    vn_debug_filename("/dev/null", 0);  // every refusal writes a line
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20) return 0;
    const std::vector<char> input(data, data + size);
    VnMessage message;
    VnError error;
    if (!VnConnection::unframe(input.data(), static_cast<int>(input.size()), message, error)) return 0;

    const std::string first = packedForm(message);
    std::vector<char> frame;
    if (!VnConnection::frame(message, frame, error)) __builtin_trap();
    VnMessage again;
    if (!VnConnection::unframe(frame.data(), static_cast<int>(frame.size()), again, error)) __builtin_trap();
    if (again.tag() != message.tag() || packedForm(again).size() != first.size()) __builtin_trap();
    return 0;
}
