#ifndef VN_TESTS_SUPPORT_TESTHOOKS_H
#define VN_TESTS_SUPPORT_TESTHOOKS_H

#include <cstdint>

// Switches that the library reads but only test and fuzz programs set. They are declared here,
// apart from the public headers, so that a program using the library never sees them.

// While true, making an XML parser fails on this thread, as when memory is short, so that
// unpackXML answers 5.
extern thread_local bool _vn_xml_parser_fails;

// Called, when set, with the descriptor of a file whose size a reader (vn_read_fd, the history
// queries) has just taken, before any of it is read: tests change the file there. Null in use.
extern void (*_vn_after_size)(int fd);

namespace vn_pack {
// The reserve that outermost reads open their budget with: kReadReserve, lowered only by test
// and fuzz programs so that small inputs reach the refusals.
extern std::int64_t readReserve;
}  // namespace vn_pack

#endif  // VN_TESTS_SUPPORT_TESTHOOKS_H
