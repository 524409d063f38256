#ifndef VN_JOB_VNVARIABLE_H
#define VN_JOB_VNVARIABLE_H

#include <iosfwd>

#include "base/VnFields.h"
#include "base/VnHash.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"
#include "job/VnVariableId.h"
#include "system/VnTime.h"

// A named text value of a job, of the whole queue (global), of a host or of a scope, with the
// time of its last update. Its identity alone is a VnVariableId, whose class words and full
// name it shares; only a global variable's full name leaves the pid out (global.frame).
class VnVariable : public VnPack {
public:
    VnVariable();
    explicit VnVariable(int pid);
    explicit VnVariable(const VnString& value);
    VnVariable(const VnVariable& other);
    ~VnVariable() override;

    // Member-wise: pid, name, value, class and last update.
    VnVariable& operator=(const VnVariable& other) = default;
    void copy(const VnVariable& other);

    int pid() const { return _pid; }
    void pid(int pid) { _pid = pid; }
    int cls() const { return _cls; }
    void cls(int cls) { _cls = cls; }
    const VnString& name() const { return _name; }
    void name(const VnString& name) { _name = name; }
    // The first n bytes of text; n of 0 or less empties the field, a null text changes nothing.
    void name(char* text, int n) { _name.copy(text, n); }
    const VnString& value() const { return _value; }
    void value(const VnString& value) { _value = value; }
    void value(char* text, int n) { _value.copy(text, n); }
    const VnTime& lastupdate() const { return _lastupdate; }
    void lastupdate(const VnTime& time) { _lastupdate = time; }

    // The class word; "unknown" for a code without one.
    VnString clsstring() const;
    // The class of the word, compared exactly; 0 for any other word.
    void clsstring(const VnString& word);
    // The full name; a global variable's has no pid.
    VnString fullname() const;
    // Reads a full name as _vn_variable_fullname does.
    void fullname(const VnString& text);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "pid", _pid);
        field(2, "name", _name);
        field(3, "value", _value);
        field(4, "cls", _cls);
        field(5, "last_update", _lastupdate);
    }

    int _pid = -1;
    int _cls = 0;
    VnString _name;
    VnString _value;
    VnTime _lastupdate;
};

VN_DECLARE_LIST(VnVariableList, VnVariable, VN_TYPE_VARIABLE_LIST, VN_XML_VARIABLE_LIST)
VN_DECLARE_HASH(VnVariableHash, VnVariable, VN_TYPE_VARIABLE_HASH, VN_XML_VARIABLE_HASH)

// Writes the value.
std::ostream& operator<<(std::ostream& os, const VnVariable& variable);

#endif  // VN_JOB_VNVARIABLE_H
