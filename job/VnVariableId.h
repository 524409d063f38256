#ifndef VN_JOB_VNVARIABLEID_H
#define VN_JOB_VNVARIABLEID_H

#include <iosfwd>

#include "base/VnDebug.h"
#include "base/VnFields.h"
#include "base/VnList.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnTypes.h"

// The identity of a variable: the id of its owner, its class and its name.
//
// Classes: 0 "unknown", 1 "job", 2 "global", 256 "host", 257 "scoped".
// Full name: the pid, "-", the class word, "." and the name (12-job.frame).
// Short form: the pid, then "_" and the name when there is one (12_frame).
class VnVariableId : public VnPack {
public:
    VnVariableId();
    explicit VnVariableId(int pid);
    VnVariableId(int pid, const VnString& name);
    // Class 0, then value(text).
    explicit VnVariableId(const VnString& text);
    VnVariableId(const VnVariableId& other);
    ~VnVariableId() override;

    // Member-wise: pid, name and class.
    VnVariableId& operator=(const VnVariableId& other) = default;
    void copy(const VnVariableId& other);

    int pid() const { return _pid; }
    void pid(int pid) { _pid = pid; }
    int cls() const { return _cls; }
    void cls(int cls) { _cls = cls; }
    const VnString& name() const { return _name; }
    void name(const VnString& name) { _name = name; }

    // The short form.
    VnString value() const;
    // Reads a short form: pid becomes the number before the first "_" (the whole text without
    // one; 0 when that is no number) and the name every byte after that "_"; without a "_" the
    // name stays. The class stays.
    void value(const VnString& text);
    // The class word; "unknown" for a code without one.
    VnString clsstring() const;
    // The class of the word, compared exactly; 0 for any other word.
    void clsstring(const VnString& word);
    // The full name, the pid written for every class.
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
        field(3, "cls", _cls);
    }

    int _pid = -1;
    int _cls = 0;
    VnString _name;
};

VN_DECLARE_LIST(VnVariableIdList, VnVariableId, VN_TYPE_VARIABLE_ID_LIST, VN_XML_VARIABLE_ID_LIST)

// Each writes the short form.
std::ostream& operator<<(std::ostream& os, const VnVariableId& id);
VnDebug& operator<<(VnDebug& debug, const VnVariableId& id);

// The class words, shared by variables and their ids.
VnString _vn_variable_clsstring(int cls);
int _vn_variable_clsint(const VnString& word);

// Reads a variable's full name. The first piece runs to the first "-" or "."; when it is an
// integer it becomes the pid and the class word is the next piece, up to the next "."; else
// it is the class word itself and the pid stays. The name is the rest of the text. The text
// may be the name being set.
void _vn_variable_fullname(const VnString& text, int& pid, int& cls, VnString& name);

#endif  // VN_JOB_VNVARIABLEID_H
