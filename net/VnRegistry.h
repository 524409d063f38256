#ifndef VN_NET_VNREGISTRY_H
#define VN_NET_VNREGISTRY_H

#include "base/VnPack.h"

// The one registry of the classes that a message can carry: makes a new default object of
// the class with number type. Null for a number that names no such class (or when memory
// runs out); the caller owns the object. Made during a read, the object counts towards that
// read's memory budget (VnPack::_charge), and a read that passes it is refused.
VnPack* vn_registry_create(int type);

#endif  // VN_NET_VNREGISTRY_H
