#include "job/VnJobNode.h"

VnJobNode::VnJobNode() = default;

VnJobNode::VnJobNode(const VnString&) {}

VnJobNode::~VnJobNode() = default;

void VnJobNode::copy(const VnJobNode& other) {
    *this = other;
}

int VnJobNode::type() {
    return VN_TYPE_JOB_NODE;
}

VnString VnJobNode::typeXML() {
    return VnString(VN_XML_JOB_NODE);
}
