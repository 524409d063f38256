#include "job/VnBumpCommand.h"

#include "base/VnTypes.h"

VnBumpCommand::VnBumpCommand() : _diff(0), _direction(0) {}

VnBumpCommand::VnBumpCommand(const VnBumpCommand& other) = default;

VnBumpCommand::~VnBumpCommand() = default;

void VnBumpCommand::copy(const VnBumpCommand& other) {
    *this = other;
}

VnString VnBumpCommand::directionstring() const {
    if (_direction == 1) return VnString("top");
    if (_direction == 2) return VnString("bottom");
    return VnString("");
}

int VnBumpCommand::type() {
    return VN_TYPE_BUMP_COMMAND;
}

VnString VnBumpCommand::typeXML() {
    return VnString(VN_XML_BUMP_COMMAND);
}
