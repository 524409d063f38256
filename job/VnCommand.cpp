#include "job/VnCommand.h"

#include "base/VnTypes.h"

VnCommand::VnCommand() : _restrictions(1), _background(1), _limit(0) {}

VnCommand::VnCommand(const VnCommand& other) : VnPack(other) {
    *this = other;
}

VnCommand::~VnCommand() = default;

void VnCommand::copy(const VnCommand& other) {
    *this = other;
}

int VnCommand::type() {
    return VN_TYPE_COMMAND;
}

VnString VnCommand::typeXML() {
    return VnString(VN_XML_COMMAND);
}
