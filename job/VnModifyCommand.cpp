#include "job/VnModifyCommand.h"

#include "base/VnTypes.h"

VnModifyCommand::VnModifyCommand() = default;

// A list cannot be copy-constructed, so the field names are assigned.
VnModifyCommand::VnModifyCommand(const VnModifyCommand& other) : VnCommand(other), _job(other._job) {
    _fields = other._fields;
}

VnModifyCommand::~VnModifyCommand() = default;

void VnModifyCommand::copy(const VnModifyCommand& other) {
    *this = other;
}

int VnModifyCommand::type() {
    return VN_TYPE_MODIFY_COMMAND;
}
