#ifndef VN_SYSTEM_VNENV_H
#define VN_SYSTEM_VNENV_H

#include "base/VnFields.h"
#include "base/VnPack.h"
#include "base/VnString.h"
#include "base/VnStringHash.h"
#include "base/VnStringList.h"
#include "base/VnTypes.h"

// A captured environment that travels inside a job: the variables as two parallel lists of
// names and values in capture order, the working directory, the file-creation mask and a map
// of mounts from a mount name to its target text ("user:password@target", "user@target" or
// "target").
//
// Text form (convert and revert): the lines "umask=" mask and "cwd=" directory, then one line
// "drivemap=" name "|" target per mount, then one line name "=" value per variable, joined
// by line feeds, with none after the last.
class VnEnv : public VnPack {
public:
    VnEnv();
    VnEnv(const VnEnv& other);
    ~VnEnv() override;

    // Member-wise: every field, lists and mounts deeply.
    VnEnv& operator=(const VnEnv& other) = default;
    void copy(const VnEnv& other);

    // Replaces the value of the first variable of that name, or appends the pair.
    void set(const VnString& name, const VnString& value);
    // The value of the first variable of that name; "" when there is none.
    VnString value(const VnString& name) const;

    VnStringList& keys() { return _keys; }
    VnStringList& values() { return _values; }
    const VnStringList& keys() const { return _keys; }
    const VnStringList& values() const { return _values; }
    const VnString& cwd() const { return _cwd; }
    int mask() const { return _umask; }

    // Empties the variables; the mask, the working directory and the mounts stay.
    void clear();

    // The target text of the mount; "" when there is none.
    VnString mount(const VnString& name) const;
    // 0 when there is no such mount. Otherwise appends the parts of its target text to the
    // outputs and answers 1: with an "@", the user is the text up to the first ":" or "@", the
    // password (after a ":") the text up to the next "@", and the target the rest; without
    // one, target becomes the whole text and user and password stay as they were.
    int mount(const VnString& name, VnString& user, VnString& password, VnString& target) const;
    // Sets the mount, replacing one of that name.
    void mount(const VnString& name, const VnString& text);
    // Appends copies of the mount names, in the hash's order.
    void mounts(VnStringList& names) const;

    // Reads mount lines, name "|" target, ended by line feeds; a line without "|" is a name
    // with an empty target, and text after a second "|" is dropped. An empty line sets a mount
    // with an empty name, but an empty text, or an empty end after the last line feed, sets
    // nothing. A null text or a length below 1 reads nothing.
    void mountmap(const VnString& text);
    void mountmap(char* text, int length);

    VnString convert() const;
    // Adds the text form's contents. Each item is a name up to the next "=" and a value up to
    // the next line feed; an empty name ends the reading. The first "umask" and "cwd" items
    // set the mask and the working directory, "drivemap" items set mounts, and every other
    // item, later "umask" and "cwd" ones too, is appended as a variable. A null text or a
    // length below 1 adds nothing.
    void revert(const VnString& text);
    void revert(char* text, int length);

    // Takes the variables, the mask and the working directory of the running process; the
    // mounts stay.
    void setToEnv();
    // Adds the login environment of the user, read from the output of "su - user" running
    // "env" after a marker line; the user name reaches su as one argument and no shell ever
    // sees it. su reads /dev/null as its standard input and runs in a process group of its
    // own. Adds nothing when su does not print the marker (an unknown user, a name that
    // begins with "-" or holds a zero byte, output over 16 MiB), or when su has not ended and
    // closed its output within captureTimeout(): the whole process group is then killed and
    // su reaped. Adds nothing either, and says so in the debug log, when the items read would
    // take more than 64 MiB of memory as variables: each item counts its name and its value,
    // each as a string object, its heap buffer and three list slots. When su cannot be started
    // at all, captures the running process with setToEnv() instead.
    void setToEnv(const VnString& user);
    // Milliseconds that one capture of a user's environment may take, for the whole process;
    // 30000 unless set. A value below 0 counts as 0.
    static void captureTimeout(int milliseconds);
    static int captureTimeout();

    // Puts name=value into the process's environment; the text stays allocated for the life
    // of the process, as the environment keeps pointing at it.
    static void setEnv(const VnString& name, const VnString& value);
    // The value of the process's first variable of that name; "" when there is none.
    static VnString valueEnv(const VnString& name);

    int type() override;
    VnString typeXML() override;
    VN_RECORD_PACKING

private:
    template <class Field>
    void fields(Field field) {
        field(1, "keys", _keys);
        field(2, "values", _values);
        field(3, "umask", _umask);
        field(4, "cwd", _cwd);
        field(5, "mounts", _mounts);
    }

    // The position of the first variable of that name, or -1.
    int find(const VnString& name) const;
    void append(const VnString& name, const VnString& value);
    void readText(const char* text, int length);
    void readItem(const VnString& key, const VnString& value, bool& maskSeen, bool& cwdSeen);
    void mountLine(const char* line, int length);
    void readMountLines(const char* text, int length);

    VnStringList _keys;
    VnStringList _values;
    int _umask;
    VnString _cwd;
    VnStringHash _mounts;
};

#endif  // VN_SYSTEM_VNENV_H
