#ifndef VN_JOB_VNBUMPCOMMAND_H
#define VN_JOB_VNBUMPCOMMAND_H

#include "base/VnFields.h"
#include "base/VnString.h"
#include "job/VnCommand.h"

// A command that moves the selected jobs to the top (direction 1) or the bottom (direction 2)
// of the queue. The receiver gives diff its meaning.
class VnBumpCommand : public VnCommand {
public:
    VnBumpCommand();
    VnBumpCommand(const VnBumpCommand& other);
    ~VnBumpCommand() override;

    // Member-wise: the command part, then diff and direction.
    VnBumpCommand& operator=(const VnBumpCommand& other) = default;
    // From another bump command: everything, as operator=. From a plain command: only the
    // command part, leaving diff and direction as they are.
    void copy(const VnBumpCommand& other);
    using VnCommand::copy;

    int diff() const { return _diff; }
    void diff(int diff) { _diff = diff; }
    int direction() const { return _direction; }
    void direction(int direction) { _direction = direction; }

    // "top" for direction 1, "bottom" for 2, else an empty string.
    VnString directionstring() const;

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

protected:
    // The command's fields, then the bump's own, in both forms.
    template <class Field>
    void fields(Field field) {
        VnCommand::fields(field);
        field(10, "diff", _diff);
        field(11, "direction", _direction);
    }

private:
    int _diff;
    int _direction;
};

#endif  // VN_JOB_VNBUMPCOMMAND_H
