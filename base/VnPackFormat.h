#ifndef VN_BASE_VNPACKFORMAT_H
#define VN_BASE_VNPACKFORMAT_H

// The constants and byte helpers that the writers and readers of VnPack share.
// Internal to the library's packing sources.

#include <cstdint>

#include "base/VnString.h"

namespace vn_pack {

// Type codes of the binary form.
enum FieldType {
    kInt = 1,
    kChar = 2,
    kString = 3,
    kObject = 4,
    kFloat = 5,
    kUnsignedChar = 6,
};

constexpr int kVersion = 1;

// Bytes of created objects allowed per byte read.
constexpr std::int64_t kReadAllowance = 32;

// The XML version element, and the name under which the reader finds the top
// object block.
constexpr char kVersionElement[] = "version";
constexpr char kTopName[] = "undef_obj";

inline void putInt16(char* out, int value) {
    out[0] = static_cast<char>((value >> 8) & 0xFF);
    out[1] = static_cast<char>(value & 0xFF);
}

inline void putInt32(char* out, std::uint32_t value) {
    out[0] = static_cast<char>((value >> 24) & 0xFF);
    out[1] = static_cast<char>((value >> 16) & 0xFF);
    out[2] = static_cast<char>((value >> 8) & 0xFF);
    out[3] = static_cast<char>(value & 0xFF);
}

// A field header: the 16-bit tag and the 16-bit type code.
inline void putHeader(char* out, short tag, short code) {
    putInt16(out, tag);
    putInt16(out + 2, code);
}

// The memory that the objects made by one read may take: READ_ALLOWANCE bytes per byte read,
// plus a reserve. The outermost read of a thread opens the budget; what the read allocates for
// the objects it makes is charged to it (VnPack::_charge), and a read that passes it is refused
// whole.
inline thread_local std::int64_t readBudget = 0;
inline thread_local int budgetHolders = 0;
constexpr std::int64_t kReadReserve = 16 * 1024 * 1024;
// What the allocator adds to every heap block: its header and the rounding to its alignment.
constexpr std::int64_t kBlockOverhead = VnString::kBlockOverhead;

// Thrown by VnPack::_charge; the read that opened the budget catches it.
struct ReadRefused {};

class ReadBudget {
public:
    // The outermost read opens the budget for length bytes read.
    explicit ReadBudget(std::int64_t length);
    ~ReadBudget() { --budgetHolders; }
    ReadBudget(const ReadBudget&) = delete;
    ReadBudget& operator=(const ReadBudget&) = delete;

    const bool outermost;
};

}  // namespace vn_pack

#endif  // VN_BASE_VNPACKFORMAT_H
