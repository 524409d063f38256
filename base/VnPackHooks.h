#ifndef VN_BASE_VNPACKHOOKS_H
#define VN_BASE_VNPACKHOOKS_H

#include <cstdint>

// Switches that the packing code reads but only test and fuzz programs set. Like every header
// named *Hooks.h, this one is internal to the library: it is not installed and vn.h does not
// include it, so a program using the library never sees these switches.

// While true, making an XML parser fails on this thread, as when memory is short, so that
// unpackXML answers 5.
extern thread_local bool _vn_xml_parser_fails;

namespace vn_pack {
// The reserve that outermost reads open their budget with: kReadReserve, lowered only by test
// and fuzz programs so that small inputs reach the refusals.
extern std::int64_t readReserve;
}  // namespace vn_pack

#endif  // VN_BASE_VNPACKHOOKS_H
