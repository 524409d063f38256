#ifndef VN_JOB_VNMODIFYCOMMAND_H
#define VN_JOB_VNMODIFYCOMMAND_H

#include "base/VnFields.h"
#include "job/VnCommand.h"
#include "job/VnField.h"
#include "job/VnJob.h"

// A command that changes fields of the selected jobs: the names of the fields to change and a
// job that holds their new values.
//
// The job and the field names travel only in the binary form. In XML the record is written
// and read as a plain command, under the command's XML type name, so an archived modify
// command reads back with its job and field names as they were in the target.
class VnModifyCommand : public VnCommand {
public:
    VnModifyCommand();
    VnModifyCommand(const VnModifyCommand& other);
    ~VnModifyCommand() override;

    // Member-wise: the command part, then the job (the job's own assignment), then copies of
    // the field names.
    VnModifyCommand& operator=(const VnModifyCommand& other) = default;
    void copy(const VnModifyCommand& other);

    const VnJob& job() const { return _job; }
    void job(const VnJob& job) { _job = job; }
    // The list owns the fields appended to it.
    VnFieldList& fields() { return _fields; }
    const VnFieldList& fields() const { return _fields; }

    int type() override;
    // The binary slots walk the command's fields, then the job and the field names; the XML
    // slots and the XML type name stay the command's.
    void encode() override { fields(VnFieldStore{*this}); }
    void decode() override { fields(VnFieldRestore{*this}); }

private:
    template <class Field>
    void fields(Field field) {
        VnCommand::fields(field);
        field(10, "job", _job);
        field(11, "field_list", _fields);
    }

    VnJob _job;
    VnFieldList _fields;
};

#endif  // VN_JOB_VNMODIFYCOMMAND_H
