#ifndef VN_SYSTEM_VNSAFEOPENHOOKS_H
#define VN_SYSTEM_VNSAFEOPENHOOKS_H

// A switch that the file readers read but only test programs set. Like every header named
// *Hooks.h, this one is internal to the library: it is not installed and vn.h does not include
// it, so a program using the library never sees the switch.

// Called, when set, with the descriptor of a file whose size a reader (vn_read_fd, the history
// queries) has just taken, before any of it is read: tests change the file there. Null in use.
extern void (*_vn_after_size)(int fd);

#endif  // VN_SYSTEM_VNSAFEOPENHOOKS_H
