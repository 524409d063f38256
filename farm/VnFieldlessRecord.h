#ifndef VN_FARM_VNFIELDLESSRECORD_H
#define VN_FARM_VNFIELDLESSRECORD_H

#include "base/VnPack.h"

// The packing of a farm record that carries no fields of its own: it writes none, and its
// readers pass over whatever fields a peer sends in it (the binary reader skips each field that
// nothing reads, the XML reader each element that nothing asks for). The record itself answers
// its class number and XML name.
class VnFieldlessRecord : public VnPack {
public:
    void encode() override {}
    void decode() override {}
    void encodeXML() override {}
    void decodeXML() override {}
};

#endif  // VN_FARM_VNFIELDLESSRECORD_H
