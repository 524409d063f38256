#ifndef VN_BASE_VNPACKFORMAT_H
#define VN_BASE_VNPACKFORMAT_H

// The constants and byte helpers that the writers and readers of VnPack share.
// Internal to the library's packing sources.

#include <cstdint>

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

}  // namespace vn_pack

#endif  // VN_BASE_VNPACKFORMAT_H
